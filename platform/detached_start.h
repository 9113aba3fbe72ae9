// Starting a host program detached: it runs in a session of its own, is
// never waited for, and leaves no zombie behind. Internal to the platform
// layer: the mechanism under StartStoreProgram (program_start.h).
//
// Entry point: StartDetached.
#pragma once

#include <string>
#include <vector>

namespace kv {

// Runs the file `name` of the folder open as `folder` (the file itself
// must not be a link) with `arguments` (argv[0] first), standard input from
// /dev/null, the caller's standard output and error and environment, and no
// other descriptor of the caller's but the folder's (see the .cpp). true
// once the program has replaced the started process; false when it could
// not be started or executed (not executable, no such file, a link).
[[nodiscard]] bool StartDetached(int folder, const std::string& name,
                                 const std::vector<std::string>& arguments);

}  // namespace kv
