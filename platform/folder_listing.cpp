// FolderListing over readdir. An entry's kind comes from the listing where
// the file system reports it and from a no-follow stat otherwise, so a link
// is always seen as a link.
#include "platform/folder_listing.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>

#include "platform/unique_fd.h"

namespace kv {
namespace {

EntryKind KindOfMode(mode_t mode) {
  if (S_ISDIR(mode)) return EntryKind::kFolder;
  if (S_ISREG(mode)) return EntryKind::kFile;
  return EntryKind::kOther;
}

}  // namespace

Result<FolderListing> FolderListing::Open(int folder) {
  UniqueFd own(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!own.IsValid()) return HostFailure();
  DIR* dir = ::fdopendir(own.Get());
  if (dir == nullptr) return HostFailure();
  own.Release();  // now owned by the DIR stream
  FolderListing listing;
  listing.dir_.reset(dir);
  return listing;
}

std::optional<ListedEntry> FolderListing::Next() {
  if (!dir_) return std::nullopt;
  while (const dirent* entry = ::readdir(dir_.get())) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    EntryKind kind = EntryKind::kOther;
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
    return ListedEntry{entry->d_name, kind};
  }
  return std::nullopt;
}

}  // namespace kv
