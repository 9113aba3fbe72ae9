// Device path resolution. Each folder is opened with O_PATH | O_NOFOLLOW
// relative to the one before it, starting at the store root's descriptor
// (opened once, by Store), so a link anywhere on the path stops the walk and
// a link swapped in mid-operation is met as a link, never followed. O_PATH
// also lets the walk pass through folders it may search but not list, as an
// exact path does on the host.
#include "platform/store_path.h"

#include <fcntl.h>

#include <cerrno>
#include <optional>
#include <vector>

#include "platform/case_fold.h"
#include "platform/device_path.h"
#include "platform/folder_listing.h"
#include "platform/host_name.h"

namespace kv {
namespace {

std::u16string Folded(std::u16string_view name) {
  std::u16string folded(name);
  for (char16_t& unit : folded) unit = FoldCase(unit);
  return folded;
}

// The entry `name` in `folder`: the exact spelling when it exists, else the
// byte-wise first entry equal to it ignoring case. `folder` is left unset.
Result<StoreEntry> FindHostName(int folder, std::u16string_view name) {
  std::optional<std::string> exact = DeviceNameToHost(name);
  if (!exact) return Failure{};
  Result<StoreEntry> found;
  if (::fstatat(folder, exact->c_str(), &found.value.status, AT_SYMLINK_NOFOLLOW) == 0) {
    found.value.hostName = std::move(*exact);
    return found;
  }
  if (errno != ENOENT) return HostFailure();

  Result<FolderListing> listing = FolderListing::Open(folder);
  if (!listing.Ok()) return listing.Error();
  const std::u16string wanted = Folded(name);
  std::string best;
  while (std::optional<ListedEntry> candidate = listing.value.Next()) {
    if ((best.empty() || candidate->hostName < best) &&
        Folded(HostNameToDevice(candidate->hostName)) == wanted) {
      best = std::move(candidate->hostName);
    }
  }
  if (best.empty()) {
    found.status = FileStatus::kFileNotFound;
    found.value.hostName = std::move(*exact);
    return found;
  }
  if (::fstatat(folder, best.c_str(), &found.value.status, AT_SYMLINK_NOFOLLOW) != 0) {
    return HostFailure(errno == ENOENT ? FileStatus::kFileNotFound : FileStatus::kFailed);
  }
  found.value.hostName = std::move(best);
  return found;
}

// Opens the subfolder `name` of `folder`, refusing anything that is not a
// real folder at the moment it is opened.
Result<UniqueFd> OpenSubfolder(int folder, std::u16string_view name) {
  const Result<StoreEntry> found = FindHostName(folder, name);
  if (!found.Ok()) return Failure{FileStatus::kFailed, found.cause};
  UniqueFd opened(::openat(folder, found.value.hostName.c_str(),
                           O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!opened.IsValid()) return HostFailure();
  // O_PATH | O_NOFOLLOW may open a link itself; the stat makes sure it is not.
  struct stat status {};
  if (::fstat(opened.Get(), &status) != 0) return HostFailure();
  if (!S_ISDIR(status.st_mode)) return Failure{FileStatus::kFailed, ENOTDIR};
  return opened;
}

// Opens each of the first `count` of `names` in turn, from the store root.
Result<UniqueFd> OpenFolderChain(const Store& store, const std::vector<std::u16string>& names,
                                 std::size_t count) {
  UniqueFd current(::fcntl(store.RootDescriptor(), F_DUPFD_CLOEXEC, 0));
  if (!current.IsValid()) return HostFailure();
  for (std::size_t i = 0; i < count; ++i) {
    Result<UniqueFd> next = OpenSubfolder(current.Get(), names[i]);
    if (!next.Ok()) return next.Error();
    current = std::move(next.value);
  }
  return current;
}

}  // namespace

Result<UniqueFd> OpenStoreFolder(const Store& store, std::u16string_view path) {
  const std::optional<std::vector<std::u16string>> names = SplitDevicePath(path);
  if (!names) return Failure{};
  return OpenFolderChain(store, *names, names->size());
}

Result<StoreEntry> LookUpStoreEntry(int folder, std::u16string_view name) {
  Result<StoreEntry> found = FindHostName(folder, name);
  // A link is no file of the handset's: it is absent from its folder, just as
  // a link on the way there makes the folder absent.
  if (found.Ok() && S_ISLNK(found.value.status.st_mode)) found.status = FileStatus::kFileNotFound;
  if (found.Ok()) found.value.folder = folder;
  return found;
}

Result<ResolvedEntry> ResolveStoreEntry(const Store& store, std::u16string_view path) {
  const std::optional<std::vector<std::u16string>> names = SplitDevicePath(path);
  if (!names || names->empty()) return Failure{};
  Result<UniqueFd> folder = OpenFolderChain(store, *names, names->size() - 1);
  if (!folder.Ok()) return Failure{FileStatus::kFailed, folder.cause};
  Result<StoreEntry> found = LookUpStoreEntry(folder.value.Get(), names->back());
  Result<ResolvedEntry> resolved;
  resolved.status = found.status;
  resolved.cause = found.cause;
  resolved.value.folder = std::move(folder.value);
  resolved.value.entry = std::move(found.value);
  return resolved;
}

}  // namespace kv
