// The silent self scan ("-autocheck"): the fast scan without a window, with
// its dated start and finish lines in the log and its findings reported in
// log records and message boxes.
#pragma once

#include "app/app_context.h"

namespace kv::app {

// Runs the self scan; the process then ends with the returned code (-1).
int RunSelfScan(AppContext& context);

}  // namespace kv::app
