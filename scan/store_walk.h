// WalkStoreFolder: the recursive walk that both directory scans share (the
// full scan's and the silent background scan's, directory_walk.h); they
// differ only in what they do with each file it gives them.
//
// Entry points: WalkStoreFolder, PassesExtensionFilter, IsWalkedFolder,
// CheckListedFile. Paths are built as folder + "\" + name from the empty
// root path "", so a root file is "\name". The running flag is read before
// every entry; a stop unwinds every level at once with kStopped and nothing
// more is visited. Each level holds its folder open (FileFinder), so files
// are opened from there instead of being resolved from the root again.
#pragma once

#include <functional>
#include <string_view>

#include "platform/files.h"
#include "platform/store.h"
#include "scan/file_matcher.h"
#include "scan/scan_session.h"

namespace kv {

enum class WalkOutcome : int {
  kCompleted = 0,    // walked to its end
  kUnlistable = -1,  // the folder cannot be listed (missing, not a folder, no access)
  kStopped = -2,     // the running flag was found cleared
};

// A file the walk gives its visitor: its device path, and its name in the
// listing that holds its folder open.
using ListedFileVisitor = std::function<void(
    std::u16string_view path, const platform::FileFinder& listing, std::u16string_view name)>;

// Files checked by the scans: a name longer than its extension that ends in
// exactly ".exe", ".EXE", ".dat", ".DAT", ".cab" or ".CAB" (mixed case is
// not checked).
bool PassesExtensionFilter(std::u16string_view name);

// Folders entered by the scans: all but those whose name begins with "..".
bool IsWalkedFolder(std::u16string_view name);

// Walks `folder` and the folders below it, giving `visit` every file that
// passes the extension filter. Entries whose path would exceed the
// handset's path length (limits::kMaxDevicePathUnits) are skipped, as the
// handset's buffers could not hold them. A folder below that cannot be
// listed (removed meanwhile, say) is passed over.
[[nodiscard]] WalkOutcome WalkStoreFolder(const platform::Store& store, const RunningFlag& running,
                                          std::u16string_view folder,
                                          const ListedFileVisitor& visit);

// CheckFile with deletion of a file the walk listed, opened from its
// listing. A name holding "\" names another file as a device path, so that
// one is checked by its path, to give CheckFile's answer exactly.
FileCheckResult CheckListedFile(FileMatcher& matcher, std::u16string_view path,
                                const platform::FileFinder& listing, std::u16string_view name);

}  // namespace kv
