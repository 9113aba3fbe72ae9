// UniqueFd's closing, kept out of the header so that only platform/ sees
// the host's descriptor calls.
#include "platform/unique_fd.h"

#include <unistd.h>
#include <cerrno>

namespace kv::platform {

void UniqueFd::Reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

bool UniqueFd::Close() {
  if (fd_ < 0) return true;
  // Linux releases the descriptor even when close reports EINTR, so that
  // is no failure (and retrying could close someone else's descriptor).
  return ::close(std::exchange(fd_, -1)) == 0 || errno == EINTR;
}

}  // namespace kv::platform
