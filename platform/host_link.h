// Reading the host's symbolic links, above all the kernel's own ones in
// /proc: a process's executable (/proc/<pid>/exe) and the path an open
// descriptor stands for (/proc/self/fd/<fd>). Internal to the platform
// layer.
//
// Entry points: ReadHostLink, DescriptorHostPath.
// The kernel writes these paths as raw bytes (no escaping, no encoding), so
// they compare byte for byte with other host paths, whatever bytes the
// store's path holds.
#pragma once

#include <string>

namespace kv::platform {

// The target of the link `linkPath`, whatever its length. false when it
// cannot be read (no such link, no access, a process gone).
[[nodiscard]] bool ReadHostLink(const std::string& linkPath, std::string& target);

// The host path of the folder or file open as `fd`, as the kernel sees it
// now (links resolved, later renames followed).
[[nodiscard]] bool DescriptorHostPath(int fd, std::string& path);

}  // namespace kv::platform
