// The hive's host file operations (registry_hive_file.h). Every call retries
// on EINTR, since a signal handler elsewhere in the process must not turn
// into a lost registry write.
#include "platform/registry_hive_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>

#include "platform/file_lock.h"
#include "platform/limits.h"
#include "platform/unique_fd.h"

namespace kv::platform {
namespace {

std::filesystem::path Beside(const std::filesystem::path& hivePath, const char* suffix) {
  std::filesystem::path path = hivePath;
  path += suffix;
  return path;
}

std::filesystem::path FolderOf(const std::filesystem::path& hivePath) {
  return hivePath.has_parent_path() ? hivePath.parent_path() : std::filesystem::path(".");
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

RegistryStatus ReadHiveFile(const std::filesystem::path& hivePath, std::string& content) {
  content.clear();
  // Non-blocking, so that a FIFO put in the hive's place cannot hang the open.
  UniqueFd fd(OpenRetrying(hivePath, O_RDONLY | O_NOCTTY | O_NONBLOCK));
  if (!fd.IsValid()) return errno == ENOENT ? RegistryStatus::kOk : RegistryStatus::kFailed;
  struct stat status {};
  if (::fstat(fd.Get(), &status) != 0 || !S_ISREG(status.st_mode)) return RegistryStatus::kFailed;
  if (static_cast<std::uintmax_t>(status.st_size) > limits::kMaxHiveBytes) {
    return RegistryStatus::kCorruptHive;
  }
  // Read to the end rather than to st_size: an in-place editor may still be
  // growing the file, and a short read must not pass for the whole hive.
  std::array<char, 65536> buffer;
  for (;;) {
    const ssize_t got = ::read(fd.Get(), buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return RegistryStatus::kFailed;
    if (got == 0) return RegistryStatus::kOk;
    if (content.size() + static_cast<std::size_t>(got) > limits::kMaxHiveBytes) {
      return RegistryStatus::kCorruptHive;
    }
    content.append(buffer.data(), static_cast<std::size_t>(got));
  }
}

bool HiveWriteLock::Acquire(const std::filesystem::path& hivePath) {
  fd_.Reset(
      OpenRetrying(Beside(hivePath, ".lock"), O_RDWR | O_CREAT | O_NOFOLLOW | O_NOCTTY, 0644));
  if (!fd_.IsValid()) return false;
  if (LockWaiting(fd_.Get(), Sharing::kNone, limits::kLogLockWait) == LockStatus::kLocked) {
    return true;
  }
  fd_.Reset();
  return false;
}

bool ReplaceHiveFile(const std::filesystem::path& hivePath, std::string_view content) {
  const std::filesystem::path staged = Beside(hivePath, ".new");
  if (!WriteSynced(staged, content) || ::rename(staged.c_str(), hivePath.c_str()) != 0) {
    ::unlink(staged.c_str());
    return false;
  }
  // The hive is in place; a folder that cannot be synced only weakens
  // durability across a power cut, so it does not fail the write.
  const UniqueFd folder(OpenRetrying(FolderOf(hivePath), O_RDONLY | O_DIRECTORY));
  if (folder.IsValid()) ::fsync(folder.Get());
  return true;
}

}  // namespace kv::platform
