// File: opening a store file with the handset's sharing rules, its size and
// a whole-file read. The entry's kind is checked before it is opened and
// the lock is taken without waiting, because the handset's share modes fail
// at once rather than block, and a scan must never hang on a pipe or a lock.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "platform/files.h"
#include "platform/store_path.h"

namespace kv::platform {

FileStatus File::OpenForRead(std::u16string_view devicePath, Sharing sharing, File& file) {
  file.fd_.Reset();
  StoreEntry entry;
  const FileStatus found = ResolveStoreEntry(devicePath, entry);
  if (found != FileStatus::kOk) return found;
  // Checked before opening: opening a pipe or a device could block or act.
  if (!S_ISREG(entry.status.st_mode)) return FileStatus::kFailed;
  UniqueFd fd(::openat(entry.parent.Get(), entry.hostName.c_str(),
                       O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!fd.IsValid()) return errno == ENOENT ? FileStatus::kFileNotFound : FileStatus::kFailed;
  struct stat status {};
  if (::fstat(fd.Get(), &status) != 0 || !S_ISREG(status.st_mode)) return FileStatus::kFailed;
  const int lock = sharing == Sharing::kNone ? LOCK_EX : LOCK_SH;
  if (::flock(fd.Get(), lock | LOCK_NB) != 0) return FileStatus::kFailed;
  file.fd_ = std::move(fd);
  return FileStatus::kOk;
}

bool File::Size(uint64_t& size) const {
  struct stat status {};
  if (!fd_.IsValid() || ::fstat(fd_.Get(), &status) != 0) return false;
  size = static_cast<uint64_t>(status.st_size);
  return true;
}

bool File::ReadAll(std::string& content, uint64_t maxSize) const {
  uint64_t size = 0;
  if (!Size(size) || size > maxSize || size > content.max_size()) return false;
  try {
    content.assign(static_cast<std::size_t>(size), '\0');
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t got =
        ::pread(fd_.Get(), content.data() + done, content.size() - done, static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;  // an error, or the file shrank under us
    done += static_cast<std::size_t>(got);
  }
  return true;
}

bool File::Close() { return fd_.Close(); }

}  // namespace kv::platform
