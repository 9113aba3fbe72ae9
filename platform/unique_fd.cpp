// UniqueFd's closing, the whole-buffer write and the folder flush, kept out
// of the header so that only platform/ sees the host's descriptor calls.
#include "platform/unique_fd.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace kv {

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

namespace {

// Writes `bytes` whole with `write` (the host call for a count of bytes at
// an offset into them), going on after a short write or a signal.
template <typename Write>
bool WriteWhole(std::string_view bytes, Write write) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t written = write(bytes.data() + done, bytes.size() - done, done);
    if (written < 0 && errno == EINTR) continue;
    // A write that takes nothing leaves errno as it was: name the likely
    // cause, so that no caller reports a stale one.
    if (written == 0) errno = ENOSPC;
    if (written <= 0) return false;
    done += static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

bool WriteAll(int fd, std::string_view bytes) {
  return WriteWhole(bytes, [fd](const char* data, std::size_t count, std::size_t) {
    return ::write(fd, data, count);
  });
}

bool WriteAllAt(int fd, std::string_view bytes, off_t offset) {
  return WriteWhole(bytes, [fd, offset](const char* data, std::size_t count, std::size_t done) {
    return ::pwrite(fd, data, count, offset + static_cast<off_t>(done));
  });
}

bool SyncFolder(int folder) {
  const UniqueFd opened(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return opened.IsValid() && ::fsync(opened.Get()) == 0;
}

}  // namespace kv
