// FolderListing over readdir. An entry's kind comes from the listing where
// the file system reports it and from a no-follow stat otherwise, so a link
// is always seen as a link.
#include "platform/folder_listing.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>

#include "platform/unique_fd.h"

namespace kv::platform {
namespace {

EntryKind KindOfMode(mode_t mode) {
  if (S_ISDIR(mode)) return EntryKind::kFolder;
  if (S_ISREG(mode)) return EntryKind::kFile;
  return EntryKind::kOther;
}

}  // namespace

bool FolderListing::Open(int folder, FolderListing& listing) {
  UniqueFd own(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!own.IsValid()) return false;
  DIR* dir = ::fdopendir(own.Get());
  if (dir == nullptr) return false;
  own.Release();  // now owned by the DIR stream
  listing.dir_.reset(dir);
  return true;
}

bool FolderListing::Next(std::string& hostName, EntryKind& kind) {
  if (!dir_) return false;
  while (const dirent* entry = ::readdir(dir_.get())) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    switch (entry->d_type) {
      case DT_DIR:
        kind = EntryKind::kFolder;
        break;
      case DT_REG:
        kind = EntryKind::kFile;
        break;
      case DT_UNKNOWN: {
        struct stat status {};
        if (::fstatat(::dirfd(dir_.get()), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
          continue;  // gone since it was listed
        }
        kind = KindOfMode(status.st_mode);
        break;
      }
      default:
        kind = EntryKind::kOther;
        break;
    }
    hostName = entry->d_name;
    return true;
  }
  return false;
}

}  // namespace kv::platform
