// Whole reads, the writers' lock and replacement (whole_file.h). Every call
// retries on EINTR, since a signal handler elsewhere in the process must not
// turn into a lost write.
#include "platform/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>

#include "platform/file_lock.h"
#include "platform/unique_fd.h"

namespace kv {
namespace {

std::filesystem::path Beside(const std::filesystem::path& file, const char* suffix) {
  std::filesystem::path path = file;
  path += suffix;
  return path;
}

std::filesystem::path FolderOf(const std::filesystem::path& file) {
  return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

int OpenRetrying(const std::filesystem::path& path, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

bool WriteSynced(const std::filesystem::path& path, std::string_view content) {
  UniqueFd fd(OpenRetrying(path, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, 0644));
  return fd.IsValid() && WriteAll(fd.Get(), content) && ::fsync(fd.Get()) == 0 && fd.Close();
}

}  // namespace

Result<std::string> ReadWholeHostFile(const std::filesystem::path& path, std::uintmax_t maxBytes) {
  // Non-blocking, so that a FIFO put in the file's place cannot hang the open.
  UniqueFd fd(OpenRetrying(path, O_RDONLY | O_NOCTTY | O_NONBLOCK));
  if (!fd.IsValid()) {
    return HostFailure(errno == ENOENT ? FileStatus::kFileNotFound : FileStatus::kFailed);
  }
  struct stat status {};
  if (::fstat(fd.Get(), &status) != 0) return HostFailure();
  if (!S_ISREG(status.st_mode)) return Failure{FileStatus::kNotRegular};
  if (static_cast<std::uintmax_t>(status.st_size) > maxBytes) {
    return Failure{FileStatus::kFailed, EFBIG};
  }
  // Read to the end rather than to st_size: an in-place editor may still be
  // growing the file, and a short read must not pass for the whole file.
  std::string content;
  std::array<char, 65536> buffer;
  for (;;) {
    const ssize_t got = ::read(fd.Get(), buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return HostFailure();
    if (got == 0) return content;
    if (content.size() + static_cast<std::size_t>(got) > maxBytes) {
      return Failure{FileStatus::kFailed, EFBIG};
    }
    content.append(buffer.data(), static_cast<std::size_t>(got));
  }
}

Result<void> WriterLock::Acquire(const std::filesystem::path& path,
                                 std::chrono::milliseconds maxWait) {
  fd_.Reset(OpenRetrying(Beside(path, ".lock"), O_RDWR | O_CREAT | O_NOFOLLOW | O_NOCTTY, 0644));
  if (!fd_.IsValid()) return HostFailure();
  if (LockWaiting(fd_.Get(), Sharing::kNone, maxWait) == LockStatus::kLocked) return {};
  fd_.Reset();
  return Failure{FileStatus::kLocked, EWOULDBLOCK};
}

Result<void> ReplaceHostFile(const std::filesystem::path& path, std::string_view content) {
  const std::filesystem::path staged = Beside(path, ".new");
  if (!WriteSynced(staged, content) || ::rename(staged.c_str(), path.c_str()) != 0) {
    const Failure failed = HostFailure();
    ::unlink(staged.c_str());
    return failed;
  }
  // The file is in place; a folder that cannot be synced only weakens
  // durability across a power cut, so it does not fail the write.
  const UniqueFd folder(OpenRetrying(FolderOf(path), O_RDONLY | O_DIRECTORY));
  if (folder.IsValid()) ::fsync(folder.Get());
  return {};
}

}  // namespace kv
