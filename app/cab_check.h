// The CAB check: the shell opened a CAB package while the CAB monitor is on,
// so the program checks it, raises the alarm when it holds a Trojan, and
// hands a clean or accepted package to the system installer
// \windows\wceload.exe with "\"<path>\" /nodelete".
//
// The argument is a device path ("\My Documents\a.cab"), or a host path
// ("/home/me/a.cab"); a host path inside the store is checked as the store
// file it names, one outside is checked where it lies but never deleted.
#pragma once

#include <string_view>

#include "app/app_context.h"

namespace kv {

// Runs the CAB check on the command line's argument; the process then ends
// with the returned code: 0 when the installer was started, else -1.
int RunCabCheck(AppContext& context, std::u16string_view argument);

}  // namespace kv
