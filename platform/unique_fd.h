// UniqueFd: sole owner of one host file descriptor, closed on destruction;
// and the two durability calls made through descriptors.
// Every descriptor the platform layer opens lives in one of these, so no
// error path can leak one.
#pragma once

#include <sys/types.h>

#include <string_view>
#include <utility>

namespace kv {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { Reset(); }

  int Get() const { return fd_; }
  bool IsValid() const { return fd_ >= 0; }
  int Release() { return std::exchange(fd_, -1); }
  // Closes the held descriptor (if any) and takes `fd`; a close error is lost.
  void Reset(int fd = -1);
  // Closes the held descriptor; false when the host reports a close error.
  bool Close();

 private:
  int fd_ = -1;
};

// Writes all of `bytes` to `fd`, going on after interruptions and short
// writes; false on an error or a write that takes nothing.
[[nodiscard]] bool WriteAll(int fd, std::string_view bytes);
// The same at `offset`, leaving the descriptor's own offset as it was.
[[nodiscard]] bool WriteAllAt(int fd, std::string_view bytes, off_t offset);

// Flushes a folder's entries to the disk, so that a rename in it survives a
// crash; `folder` may be an O_PATH descriptor. False when it cannot; most
// callers go on, as the rename itself has happened either way.
bool SyncFolder(int folder);

}  // namespace kv
