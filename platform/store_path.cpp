// Device path resolution. Each folder is opened with O_PATH | O_NOFOLLOW
// relative to the one before it, starting at the store root's descriptor
// (opened once, by Store), so a link anywhere on the path stops the walk and
// a link swapped in mid-operation is met as a link, never followed. O_PATH
// also lets the walk pass through folders it may search but not list, as an
// exact path does on the host.
#include "platform/store_path.h"

#include <fcntl.h>

#include <cerrno>
#include <vector>

#include "platform/case_fold.h"
#include "platform/device_path.h"
#include "platform/folder_listing.h"
#include "platform/host_name.h"

namespace kv::platform {
namespace {

std::u16string Folded(std::u16string_view name) {
  std::u16string folded(name);
  for (char16_t& unit : folded) unit = FoldCase(unit);
  return folded;
}

// The host name of the entry `name` in `folder`: the exact spelling when it
// exists, else the byte-wise first entry equal to it ignoring case.
FileStatus FindHostName(int folder, std::u16string_view name, std::string& hostName,
                        struct stat& status) {
  if (!DeviceNameToHost(name, hostName)) return FileStatus::kFailed;
  if (::fstatat(folder, hostName.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
    return FileStatus::kOk;
  }
  if (errno != ENOENT) return FileStatus::kFailed;

  FolderListing listing;
  if (!FolderListing::Open(folder, listing)) return FileStatus::kFailed;
  const std::u16string wanted = Folded(name);
  std::string best;
  std::string candidate;
  EntryKind kind;
  while (listing.Next(candidate, kind)) {
    if ((best.empty() || candidate < best) && Folded(HostNameToDevice(candidate)) == wanted) {
      best = candidate;
    }
  }
  if (best.empty()) return FileStatus::kFileNotFound;
  if (::fstatat(folder, best.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
    return errno == ENOENT ? FileStatus::kFileNotFound : FileStatus::kFailed;
  }
  hostName = std::move(best);
  return FileStatus::kOk;
}

// Opens the subfolder `name` of `folder`, refusing anything that is not a
// real folder at the moment it is opened.
FileStatus OpenSubfolder(int folder, std::u16string_view name, UniqueFd& subfolder) {
  std::string hostName;
  struct stat status {};
  if (FindHostName(folder, name, hostName, status) != FileStatus::kOk) return FileStatus::kFailed;
  UniqueFd opened(
      ::openat(folder, hostName.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  // O_PATH | O_NOFOLLOW may open a link itself; the stat makes sure it is not.
  if (!opened.IsValid() || ::fstat(opened.Get(), &status) != 0 || !S_ISDIR(status.st_mode)) {
    return FileStatus::kFailed;
  }
  subfolder = std::move(opened);
  return FileStatus::kOk;
}

// Opens each of the first `count` of `names` in turn, from the store root.
FileStatus OpenFolderChain(const Store& store, const std::vector<std::u16string>& names,
                           std::size_t count, UniqueFd& folder) {
  UniqueFd current(::fcntl(store.RootDescriptor(), F_DUPFD_CLOEXEC, 0));
  if (!current.IsValid()) return FileStatus::kFailed;
  for (std::size_t i = 0; i < count; ++i) {
    UniqueFd next;
    if (OpenSubfolder(current.Get(), names[i], next) != FileStatus::kOk) return FileStatus::kFailed;
    current = std::move(next);
  }
  folder = std::move(current);
  return FileStatus::kOk;
}

}  // namespace

FileStatus OpenStoreFolder(const Store& store, std::u16string_view path, UniqueFd& folder) {
  std::vector<std::u16string> names;
  if (!SplitDevicePath(path, names)) return FileStatus::kFailed;
  return OpenFolderChain(store, names, names.size(), folder);
}

FileStatus LookUpStoreEntry(int folder, std::u16string_view name, StoreEntry& entry) {
  const FileStatus found = FindHostName(folder, name, entry.hostName, entry.status);
  if (found != FileStatus::kOk) return found;
  // A link is no file of the handset's: it is absent from its folder, just as
  // a link on the way there makes the folder absent.
  if (S_ISLNK(entry.status.st_mode)) return FileStatus::kFileNotFound;
  entry.folder = folder;
  return FileStatus::kOk;
}

FileStatus ResolveStoreEntry(const Store& store, std::u16string_view path, UniqueFd& folder,
                             StoreEntry& entry) {
  std::vector<std::u16string> names;
  if (!SplitDevicePath(path, names) || names.empty()) return FileStatus::kFailed;
  if (OpenFolderChain(store, names, names.size() - 1, folder) != FileStatus::kOk) {
    return FileStatus::kFailed;
  }
  return LookUpStoreEntry(folder.Get(), names.back(), entry);
}

}  // namespace kv::platform
