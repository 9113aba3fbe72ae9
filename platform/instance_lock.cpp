// The single-instance lock file: open without following links, flock
// without waiting.
#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <system_error>

namespace kv {

LockAttempt InstanceLock::Acquire(const std::filesystem::path& lockFile) {
  if (fd_.IsValid()) return LockAttempt::kAcquired;
  std::error_code error;
  std::filesystem::create_directories(lockFile.parent_path(), error);
  if (error) return LockAttempt::kFailed;
  UniqueFd fd(
      ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644));
  if (!fd.IsValid()) {
    struct stat status {};
    const bool exists = ::lstat(lockFile.c_str(), &status) == 0;
    return exists && !S_ISREG(status.st_mode) ? LockAttempt::kWrongKind : LockAttempt::kFailed;
  }
  struct stat status {};
  if (::fstat(fd.Get(), &status) != 0) return LockAttempt::kFailed;
  if (!S_ISREG(status.st_mode)) return LockAttempt::kWrongKind;
  if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
    return errno == EWOULDBLOCK ? LockAttempt::kHeld : LockAttempt::kFailed;
  }
  fd_ = std::move(fd);
  return LockAttempt::kAcquired;
}

}  // namespace kv
