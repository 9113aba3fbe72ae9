// The two scans that run without a window: the silent self scan
// ("-autocheck", the fast scan with its findings logged and shown in
// boxes) and the background scan ("-hideandscan", the whole store, stopped
// from outside through ScanStatus 0; it writes ScanStatus 2 when it ran to
// its end, or 3 when it ran without a database and so checked nothing).
//
// Entry points: RunSelfScan, RunBackgroundScan. Both run the scan on an
// engine thread (the engine's depth bounds are sized for its stack) with
// the activity log's writer observing it, and end the process with -1.
#pragma once

#include "app/app_context.h"

namespace kv {

int RunSelfScan(AppContext& context);

int RunBackgroundScan(AppContext& context);

}  // namespace kv
