// "Set attributes to normal" and delete for store files. Both act on the
// entry found by no-follow resolution and refuse anything but a regular
// file, so neither can touch a folder or anything a link points at.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/fault_injection.h"
#include "platform/files.h"
#include "platform/store_path.h"

namespace kv {

Result<void> SetNormalAttributes(const Store& store, std::u16string_view devicePath) {
  Result<ResolvedEntry> found = ResolveStoreEntry(store, devicePath);
  if (!found.Ok()) return found.Error();
  return SetEntryNormal(found.value.entry);
}

Result<void> SetEntryNormal(StoreEntry& entry) {
  if (!S_ISREG(entry.status.st_mode)) return Failure{};
  if (entry.status.st_mode & S_IWUSR) return {};
  // Change the very inode that was checked: an O_PATH handle on it, changed
  // through its /proc name. Linux has no fchmod for O_PATH handles, and a
  // chmod by name would follow a link swapped in after the check.
  UniqueFd target(::openat(entry.folder, entry.hostName.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
  if (!target.IsValid()) {
    return HostFailure(errno == ENOENT ? FileStatus::kFileNotFound : FileStatus::kFailed);
  }
  struct stat status {};
  if (::fstat(target.Get(), &status) != 0) return HostFailure();
  if (!S_ISREG(status.st_mode)) return Failure{};
  const std::string handle = "/proc/self/fd/" + std::to_string(target.Get());
  if (::chmod(handle.c_str(), (status.st_mode & 07777) | S_IWUSR) != 0) return HostFailure();
  // Another inode swapped in keeps the entry's status, for the caller to
  // find it is not the file it checked.
  if (SameInode(status, entry.status)) {
    entry.status.st_mode = status.st_mode | S_IWUSR;
  }
  return {};
}

Result<void> DeleteStoreFile(const Store& store, std::u16string_view devicePath) {
  const Result<ResolvedEntry> found = ResolveStoreEntry(store, devicePath);
  if (!found.Ok()) return found.Error();
  const StoreEntry& entry = found.value.entry;
  if (!S_ISREG(entry.status.st_mode)) return Failure{};
  // The handset's read-only attribute refuses the deletion, as EACCES would.
  if (!(entry.status.st_mode & S_IWUSR)) return Failure{FileStatus::kFailed, EACCES};
  if (ConsumeFault(FaultPoint::kDelete)) return HostFailure();
  // unlinkat never follows the last name and refuses a folder without
  // AT_REMOVEDIR, whatever was swapped in since the check.
  if (::unlinkat(entry.folder, entry.hostName.c_str(), 0) == 0) return {};
  return HostFailure(errno == ENOENT ? FileStatus::kFileNotFound : FileStatus::kFailed);
}

}  // namespace kv
