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

namespace kv {
namespace {

constexpr int kReadFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// Why an open with `flags` failed. A link refused at the name (O_NOFOLLOW)
// counts as absent: a walk's files and the store's are never links.
Failure OpenFailure(int flags) {
  const bool absent = errno == ENOENT || (errno == ELOOP && (flags & O_NOFOLLOW) != 0);
  return HostFailure(absent ? FileStatus::kFileNotFound : FileStatus::kFailed);
}

}  // namespace

Result<File> File::OpenStoreEntry(const StoreEntry& entry, Sharing sharing,
                                  std::chrono::milliseconds lockWait) {
  // Checked before opening: opening a pipe or a device could block or act.
  if (!S_ISREG(entry.status.st_mode)) return Failure{FileStatus::kNotRegular, 0};
  constexpr int kFlags = kReadFlags | O_NOFOLLOW;
  UniqueFd fd(::openat(entry.folder, entry.hostName.c_str(), kFlags));
  if (!fd.IsValid()) return OpenFailure(kFlags);
  const Result<uint64_t> locked = CheckAndLock(fd.Get(), sharing, lockWait);
  if (!locked.Ok()) return locked.Error();
  File file;
  file.fd_ = std::move(fd);
  file.lockedSize_ = locked.value;
  return file;
}

Result<File> File::OpenForRead(const Store& store, std::u16string_view devicePath, Sharing sharing,
                               std::chrono::milliseconds lockWait) {
  const Result<ResolvedEntry> found = ResolveStoreEntry(store, devicePath);
  if (!found.Ok()) return found.Error();
  return OpenStoreEntry(found.value.entry, sharing, lockWait);
}

Result<File> File::OpenHostFile(const std::filesystem::path& hostPath, Sharing sharing,
                                LinkRule links) {
  // Opening a pipe without O_NONBLOCK waits for a writer; with it, the open
  // returns at once and the check on the open file refuses it unread.
  const int flags = kReadFlags | (links == LinkRule::kRefuse ? O_NOFOLLOW : 0);
  UniqueFd fd(::open(hostPath.c_str(), flags));
  if (!fd.IsValid()) return OpenFailure(flags);
  const Result<uint64_t> locked = CheckAndLock(fd.Get(), sharing);
  if (!locked.Ok()) return locked.Error();
  File file;
  file.fd_ = std::move(fd);
  file.lockedSize_ = locked.value;
  return file;
}

Result<uint64_t> File::Size() const {
  const Result<FileVersion> version = Version();
  if (!version.Ok()) return version.Error();
  return version.value.size;
}

Result<FileVersion> File::Version() const {
  if (!fd_.IsValid()) return Failure{FileStatus::kFailed, EBADF};
  struct stat status {};
  if (::fstat(fd_.Get(), &status) != 0) return HostFailure();
  return VersionOf(status);
}

Result<std::string> File::ReadAll(uint64_t maxSize) const {
  Result<std::string> read;
  const Result<std::string_view> bytes = ReadAllInto(read.value, maxSize);
  if (!bytes.Ok()) return bytes.Error();
  return read;  // a fresh buffer grows to exactly the file
}

Result<std::string_view> File::ReadAllInto(std::string& buffer, uint64_t maxSize) const {
  const Result<uint64_t> size = lockedSize_ ? Result<uint64_t>(*lockedSize_) : Size();
  if (!size.Ok()) return size.Error();
  if (size.value > maxSize || size.value > buffer.max_size()) {
    return Failure{FileStatus::kFailed, EFBIG};
  }
  const auto length = static_cast<std::size_t>(size.value);
  if (buffer.size() < length) {
    try {
      buffer.resize(length);
    } catch (const std::bad_alloc&) {
      return Failure{FileStatus::kFailed, ENOMEM};
    }
  }
  std::size_t done = 0;
  while (done < length) {
    const ssize_t got =
        ConsumeFault(FaultPoint::kRead)
            ? 0
            : ::pread(fd_.Get(), buffer.data() + done, length - done, static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return HostFailure();
    if (got == 0) return Failure{FileStatus::kFailed, EIO};  // the file shrank under us
    done += static_cast<std::size_t>(got);
  }
  return std::string_view(buffer.data(), length);
}

Result<std::size_t> File::Read(std::span<char> buffer) {
  if (ConsumeFault(FaultPoint::kRead)) return HostFailure();
  for (;;) {
    const ssize_t read = ::read(fd_.Get(), buffer.data(), buffer.size());
    if (read < 0 && errno == EINTR) continue;
    if (read < 0) return HostFailure();
    return static_cast<std::size_t>(read);
  }
}

LockStatus File::Lock(Sharing sharing, std::chrono::milliseconds maxWait) {
  if (!fd_.IsValid()) return LockStatus::kFailed;
  lockedSize_.reset();  // a lock converted may have been let go between
  return LockWaiting(fd_.Get(), sharing, maxWait);
}

Result<void> File::Close() {
  if (!fd_.IsValid()) return {};
  const Failure closeFailure = fd_.Close() ? Failure{FileStatus::kOk, 0} : HostFailure();
  if (ConsumeFault(FaultPoint::kClose)) return HostFailure();
  return closeFailure;
}

}  // namespace kv
