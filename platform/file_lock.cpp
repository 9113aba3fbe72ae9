// LockWaiting: non-blocking flock, tried again until a deadline on the
// steady clock, so that a change of the wall clock cannot stretch a wait.
#include "platform/file_lock.h"

#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <thread>

namespace kv {

LockStatus LockWaiting(int fd, Sharing sharing, std::chrono::milliseconds maxWait) {
  constexpr std::chrono::milliseconds kRetryInterval{1};
  const int operation = (sharing == Sharing::kNone ? LOCK_EX : LOCK_SH) | LOCK_NB;
  const auto deadline = std::chrono::steady_clock::now() + maxWait;
  for (;;) {
    if (::flock(fd, operation) == 0) return LockStatus::kLocked;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return LockStatus::kFailed;
    if (std::chrono::steady_clock::now() >= deadline) return LockStatus::kBusy;
    std::this_thread::sleep_for(kRetryInterval);
  }
}

Result<std::uint64_t> CheckAndLock(int fd, Sharing sharing, std::chrono::milliseconds lockWait) {
  switch (LockWaiting(fd, sharing, lockWait)) {
    case LockStatus::kLocked:
      break;
    case LockStatus::kBusy:
      return Failure{FileStatus::kLocked, EWOULDBLOCK};
    case LockStatus::kFailed:
      return HostFailure();
  }
  struct stat status {};
  if (::fstat(fd, &status) != 0) return HostFailure();
  if (!S_ISREG(status.st_mode)) return Failure{FileStatus::kNotRegular, 0};
  return static_cast<std::uint64_t>(status.st_size);
}

}  // namespace kv
