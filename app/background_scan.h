// The background scan ("-hideandscan"): the whole store walked without any
// user interface, stopped from outside through ScanStatus 0, and ScanStatus
// 2 written when it ran to its end.
#pragma once

#include "app/app_context.h"

namespace kv::app {

// Runs the background scan; the process then ends with the returned code
// (-1).
int RunBackgroundScan(AppContext& context);

}  // namespace kv::app
