// WalkStoreFolder: the recursive walk of the store that the full scan and
// the background scan share (directory_walk.h).
//
// Entry points: WalkStoreFolder, CountStoreFiles, PassesExtensionFilter,
// IsWalkedFolder.
// Paths are built as folder + "\" + name from the empty root path "", so a
// root file is "\name". The stop token is read before every entry, and a
// paused token holds the walk there; a stop unwinds every level at once
// with kStopped and nothing more is visited.
// Each level holds its folder open (FileFinder), so files are opened from
// there instead of being resolved from the root again.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "platform/files.h"
#include "platform/store.h"
#include "scan/stop_token.h"

namespace kv {

enum class WalkOutcome : int {
  kCompleted = 0,    // walked to its end
  kUnlistable = -1,  // the folder cannot be listed (missing, not a folder, no access)
  kStopped = -2,     // the stop token was found stopped
};

// A file the walk gives its visitor: its device path, its listing, and its
// name there. The listing is null when the path is longer than a device
// path may be (limits::kMaxDevicePathUnits): such a file, or such a folder
// with everything in it, cannot be checked, only reported.
using ListedFileVisitor = std::function<void(std::u16string_view path, const FileFinder* listing,
                                             std::u16string_view name)>;

// Files checked by the scans: a name longer than its extension that ends in
// exactly ".exe", ".EXE", ".dat", ".DAT", ".cab" or ".CAB" (mixed case is
// not checked).
bool PassesExtensionFilter(std::u16string_view name);

// Folders entered by the scans: all but those whose name begins with "..".
bool IsWalkedFolder(std::u16string_view name);

// Walks `folder` and the folders below it, giving `visit` every file that
// passes the extension filter, and every folder too long to enter. A folder
// below that cannot be listed (removed meanwhile, say) is passed over.
[[nodiscard]] WalkOutcome WalkStoreFolder(const Store& store, const StopToken& stop,
                                          std::u16string_view folder,
                                          const ListedFileVisitor& visit);

// The number of files WalkStoreFolder would give its visitor from `folder`,
// from the folder listings alone; nothing when the stop token stopped it.
[[nodiscard]] std::optional<std::uint64_t> CountStoreFiles(const Store& store,
                                                           const StopToken& stop,
                                                           std::u16string_view folder);

}  // namespace kv
