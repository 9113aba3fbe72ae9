// Device path syntax: splitting "\Program Files\Quellbrin\VirusDB.dat" into
// the names of its components.
//
// Entry point: SplitDevicePath.
// Rules, chosen to match how the handset reads a path while keeping every
// path inside the store:
// - at most limits::kMaxDevicePathUnits UTF-16 units, or the path fails;
// - the leading "\" may be left out: the handset has no current folder, so
//   every path starts at the root of the store;
// - empty components ("\\", a trailing "\") and "." are skipped;
// - ".." anywhere fails: a path can never climb out of its folder;
// - the empty list of names is the store root ("" or "\").
// Whether each name can be a host name is checked when it is resolved
// (host_name.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// The path's names, root first; nullopt when the path fails.
std::optional<std::vector<std::u16string>> SplitDevicePath(std::u16string_view path);

}  // namespace kv
