// Walking host folders for the command-line scanner: every entry below the
// paths a user names, in name order, so that the same tree always gives
// the same order. Symbolic links are never followed, nor reported as files;
// pipes, sockets and devices are reported as special; a folder that cannot
// be listed is reported too, so that nothing below it passes unseen.
//
// Entry points: HostTreeOptions, HostEntry, WalkHostTree, OpenWalkedFile,
// DeleteHostFile, StandardErrorIsTerminal.
// The walk holds its folders open and looks at and opens their entries by
// name, so a file costs no walk of its whole path; a file is taken as its
// folder lists it, and looked at only when it is opened. The names of the
// next folder of each level are read a few at a time while the files
// before it are handed out, so that a large folder does not stall a scan
// whose other threads check those files. Below limits::kMaxHeldHostFolders
// levels it goes by paths and reads nothing ahead, so that the descriptors
// it holds (two a level for the names read ahead) stay bounded however
// deep the tree.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"

namespace kv {

struct HostTreeOptions {
  bool oneFileSystem = false;         // never leave the file system of a named path
  std::vector<std::string> excludes;  // globs (fnmatch) matched against names and whole paths
};

class HostFolder;  // a folder the walk holds open

struct HostEntry {
  enum class Kind { kFile, kSpecial, kUnlistableFolder, kMissing };
  std::filesystem::path path;
  Kind kind = Kind::kFile;                   // kFile: a regular file when listed or looked at
  std::shared_ptr<const HostFolder> folder;  // kFile: the held folder it was listed in, if any
  bool named = false;                        // a path the user named
};

// Visits the file or folder `root` and everything below it; returns false
// as soon as `visit` does (a stop). A named root that is a link is
// followed: the user chose it. An entry that matches an exclude is passed
// over, with all it holds.
bool WalkHostTree(const std::filesystem::path& root, const HostTreeOptions& options,
                  const std::function<bool(const HostEntry&)>& visit);

// Opens a file the walk gave, for reading with `sharing`, by its name in
// its held folder or else by its path. A link found in a listed file's
// place just before the open is not followed (absent); a named one is.
[[nodiscard]] Result<File> OpenWalkedFile(const HostEntry& entry, Sharing sharing);

// Deletes a host file the user had scanned (--remove): never a link or a
// folder. true when it is gone.
[[nodiscard]] bool DeleteHostFile(const std::filesystem::path& path);

// Whether standard error is a terminal (live progress goes there).
bool StandardErrorIsTerminal();

}  // namespace kv
