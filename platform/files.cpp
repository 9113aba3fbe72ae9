// File: opening a store file or a host file with the handset's sharing
// rules, its size, whole-file and sequential reads, and taking a lock that
// may wait. A store entry's kind is checked before it is opened, and every
// open is non-blocking and checked again on the open file, because the
// handset's share modes fail at once rather than block, and neither a scan
// nor a tool may hang on a pipe, a device or a lock; a lock is waited for
// only where the caller names a bound.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "platform/fault_injection.h"
#include "platform/file_lock.h"
#include "platform/files.h"
#include "platform/store_path.h"

namespace kv::platform {
namespace {

constexpr int kReadFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

FileStatus OpenFailure() {
  return errno == ENOENT ? FileStatus::kFileNotFound : FileStatus::kFailed;
}

// Checks on the open file itself that it is a regular file, then takes the
// lock `sharing` asks for, waiting no longer than `lockWait`.
FileStatus CheckAndLock(const UniqueFd& fd, Sharing sharing,
                        std::chrono::milliseconds lockWait = {}) {
  struct stat status {};
  if (::fstat(fd.Get(), &status) != 0) return FileStatus::kFailed;
  if (!S_ISREG(status.st_mode)) return FileStatus::kNotRegular;
  switch (LockWaiting(fd.Get(), sharing, lockWait)) {
    case LockStatus::kLocked:
      return FileStatus::kOk;
    case LockStatus::kBusy:
      return FileStatus::kLocked;
    case LockStatus::kFailed:
      break;
  }
  return FileStatus::kFailed;
}

}  // namespace

FileStatus File::OpenStoreEntry(const StoreEntry& entry, Sharing sharing, File& file,
                                std::chrono::milliseconds lockWait) {
  // Checked before opening: opening a pipe or a device could block or act.
  if (!S_ISREG(entry.status.st_mode)) return FileStatus::kNotRegular;
  UniqueFd fd(::openat(entry.folder, entry.hostName.c_str(), kReadFlags | O_NOFOLLOW));
  if (!fd.IsValid()) return OpenFailure();
  const FileStatus locked = CheckAndLock(fd, sharing, lockWait);
  if (locked == FileStatus::kOk) file.fd_ = std::move(fd);
  return locked;
}

FileStatus File::OpenForRead(const Store& store, std::u16string_view devicePath, Sharing sharing,
                             File& file) {
  return OpenForRead(store, devicePath, sharing, std::chrono::milliseconds{}, file);
}

FileStatus File::OpenForRead(const Store& store, std::u16string_view devicePath, Sharing sharing,
                             std::chrono::milliseconds lockWait, File& file) {
  file.fd_.Reset();
  UniqueFd folder;
  StoreEntry entry;
  const FileStatus found = ResolveStoreEntry(store, devicePath, folder, entry);
  if (found != FileStatus::kOk) return found;
  return OpenStoreEntry(entry, sharing, file, lockWait);
}

FileStatus File::OpenHostFile(const std::filesystem::path& hostPath, Sharing sharing, File& file) {
  file.fd_.Reset();
  // Opening a pipe without O_NONBLOCK waits for a writer; with it, the open
  // returns at once and the check on the open file refuses it unread.
  UniqueFd fd(::open(hostPath.c_str(), kReadFlags));
  if (!fd.IsValid()) return OpenFailure();
  const FileStatus locked = CheckAndLock(fd, sharing);
  if (locked == FileStatus::kOk) file.fd_ = std::move(fd);
  return locked;
}

bool File::Size(uint64_t& size) const {
  struct stat status {};
  if (!fd_.IsValid() || ::fstat(fd_.Get(), &status) != 0) return false;
  size = static_cast<uint64_t>(status.st_size);
  return true;
}

bool File::ReadAll(std::string& content, uint64_t maxSize) const {
  content.clear();  // keeps the capacity for the next file
  uint64_t size = 0;
  if (!Size(size) || size > maxSize || size > content.max_size()) return false;
  try {
    content.resize(static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t got = ConsumeFault(FaultPoint::kRead)
                            ? 0
                            : ::pread(fd_.Get(), content.data() + done, content.size() - done,
                                      static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {  // an error, or the file shrank under us
      content.clear();
      return false;
    }
    done += static_cast<std::size_t>(got);
  }
  return true;
}

bool File::Read(std::span<char> buffer, std::size_t& got) {
  got = 0;
  if (ConsumeFault(FaultPoint::kRead)) return false;
  for (;;) {
    const ssize_t read = ::read(fd_.Get(), buffer.data(), buffer.size());
    if (read < 0 && errno == EINTR) continue;
    if (read < 0) return false;
    got = static_cast<std::size_t>(read);
    return true;
  }
}

LockStatus File::Lock(Sharing sharing, std::chrono::milliseconds maxWait) {
  if (!fd_.IsValid()) return LockStatus::kFailed;
  return LockWaiting(fd_.Get(), sharing, maxWait);
}

bool File::Close() {
  if (!fd_.IsValid()) return true;
  const bool closed = fd_.Close();
  return !ConsumeFault(FaultPoint::kClose) && closed;
}

}  // namespace kv::platform
