// A process's executable located in the store. The running file is opened
// through /proc/<pid>/exe, which reaches the very file the process runs even
// from another mount namespace; its path and its identity are then read
// from that one open file, so an exec in between cannot mix two programs.
// The path only says where to look: a path that begins with the store root's
// is turned into a device path and resolved again through the store, without
// links, and the file found there must be that very file (device and inode).
// So a name that only looks right (a file named "x (deleted)", a name
// holding "\", another program mounted at a store file's path in another
// namespace) never passes for the executable.
#include "platform/process_executable.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/host_link.h"
#include "platform/host_name.h"
#include "platform/store_path.h"
#include "platform/unique_fd.h"

namespace kv {
namespace {

// What the kernel appends to the path of a file that has been deleted.
constexpr std::string_view kDeletedMark = " (deleted)";

// "Program Files/Tool/evil.exe" -> "\Program Files\Tool\evil.exe". Nothing
// for a name that no device path can spell (empty, or holding "\").
std::optional<std::u16string> DevicePathOfRelativeHostPath(std::string_view relative) {
  std::u16string devicePath;
  while (!relative.empty()) {
    const std::size_t slash = relative.find('/');
    const std::u16string name = HostNameToDevice(relative.substr(0, slash));
    if (name.empty() || name.find(u'\\') != std::u16string::npos) return std::nullopt;
    devicePath += u'\\';
    devicePath += name;
    relative = slash == std::string_view::npos ? std::string_view() : relative.substr(slash + 1);
  }
  if (devicePath.empty()) return std::nullopt;
  return devicePath;
}

// The id of the mount `fd` lies on; false when the host cannot tell.
bool MountId(int fd, std::uint64_t& id) {
  struct statx status {};
  if (::statx(fd, "", AT_EMPTY_PATH, STATX_MNT_ID, &status) != 0 ||
      !(status.stx_mask & STATX_MNT_ID)) {
    return false;
  }
  id = status.stx_mnt_id;
  return true;
}

// A deleted file cannot be resolved again. It was the store's own when it
// lies on the store root's very mount (a mount belongs to one namespace, so
// a file mounted in another never does) and the kernel places it inside the
// store: on one mount, that path is where the file last was.
bool WasStoreFile(const Store& store, int executable) {
  std::uint64_t executableMount = 0;
  std::uint64_t storeMount = 0;
  return MountId(executable, executableMount) && MountId(store.RootDescriptor(), storeMount) &&
         executableMount == storeMount;
}

}  // namespace

Result<std::string> StoreRootHostPath(const Store& store) {
  if (store.RootDescriptor() < 0) return Failure{FileStatus::kFailed, EBADF};
  std::optional<std::string> path = DescriptorHostPath(store.RootDescriptor());
  if (!path) return HostFailure();
  if (!path->ends_with('/')) *path += '/';  // only "/" itself ends so
  return std::move(*path);
}

Result<std::u16string> FindProcessExecutable(const Store& store, const std::string& rootPath,
                                             int id) {
  const Failure notTheStores{FileStatus::kFileNotFound, 0};
  const std::string exeLink = "/proc/" + std::to_string(id) + "/exe";
  const UniqueFd executable(::open(exeLink.c_str(), O_PATH | O_CLOEXEC));
  if (!executable.IsValid()) return HostFailure();
  const std::optional<std::string> target = DescriptorHostPath(executable.Get());
  struct stat status {};
  if (!target || ::fstat(executable.Get(), &status) != 0) return HostFailure();
  std::string_view relative(*target);
  if (!relative.starts_with(rootPath)) return notTheStores;
  relative.remove_prefix(rootPath.size());

  const bool deleted = status.st_nlink == 0;  // no file left to check against
  if (deleted) {
    if (!relative.ends_with(kDeletedMark) || !WasStoreFile(store, executable.Get())) {
      return notTheStores;
    }
    relative.remove_suffix(kDeletedMark.size());
  }
  std::optional<std::u16string> devicePath = DevicePathOfRelativeHostPath(relative);
  if (!devicePath) return notTheStores;
  if (deleted) return std::move(*devicePath);
  const Result<ResolvedEntry> found = ResolveStoreEntry(store, *devicePath);
  if (!found.Ok()) return found.Error();
  if (!SameInode(found.value.entry.status, status)) return notTheStores;
  return std::move(*devicePath);
}

}  // namespace kv
