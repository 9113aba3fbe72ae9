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

#include <optional>
#include <string>

namespace kv {

// The target of the link `linkPath`, whatever its length. nullopt when it
// cannot be read (no such link, no access, a process gone).
[[nodiscard]] std::optional<std::string> ReadHostLink(const std::string& linkPath);

// The host path of the folder or file open as `fd`, as the kernel sees it
// now (links resolved, later renames followed).
[[nodiscard]] std::optional<std::string> DescriptorHostPath(int fd);

}  // namespace kv
