// WalkHostTree over folder descriptors and listings; a recursion per folder
// level, each level holding its folder and only its sorted names.
#include "platform/host_tree.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include "platform/folder_listing.h"
#include "platform/limits.h"
#include "platform/store_path.h"
#include "platform/unique_fd.h"

namespace kv {

class HostFolder {
 public:
  explicit HostFolder(UniqueFd fd) : fd_(std::move(fd)) {}
  int Descriptor() const { return fd_.Get(); }

 private:
  UniqueFd fd_;
};

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC;

bool Excluded(const std::filesystem::path& path, const HostTreeOptions& options) {
  if (options.excludes.empty()) return false;  // no names to build for every entry
  const std::string name = path.filename().string();
  const std::string whole = path.string();
  return std::any_of(options.excludes.begin(), options.excludes.end(),
                     [&](const std::string& glob) {
                       return ::fnmatch(glob.c_str(), name.c_str(), 0) == 0 ||
                              ::fnmatch(glob.c_str(), whole.c_str(), 0) == 0;
                     });
}

bool ListEntries(const HostFolder& folder, std::vector<ListedEntry>& entries) {
  Result<FolderListing> listing = FolderListing::Open(folder.Descriptor());
  if (!listing.Ok()) return false;
  while (std::optional<ListedEntry> entry = listing.value.Next()) {
    entries.push_back(std::move(*entry));
  }
  std::sort(entries.begin(), entries.end(),
            [](const ListedEntry& a, const ListedEntry& b) { return a.hostName < b.hostName; });
  return true;
}

// Where the walk found an entry: as `name` in a held folder, or by its path
// (named by the user, or below the held levels).
struct Place {
  std::shared_ptr<const HostFolder> folder;
  std::string_view name;
  bool named = false;
};

// Opens the folder at `place` (`path`); a link there is followed only when
// the user named it. Null when it cannot be opened.
std::shared_ptr<const HostFolder> OpenFolder(const std::filesystem::path& path,
                                             const Place& place) {
  UniqueFd fd(place.folder != nullptr
                  ? ::openat(place.folder->Descriptor(), std::string(place.name).c_str(),
                             kFolderFlags | O_NOFOLLOW)
                  : ::open(path.c_str(), kFolderFlags | (place.named ? 0 : O_NOFOLLOW)));
  if (!fd.IsValid()) return nullptr;
  return std::make_shared<const HostFolder>(std::move(fd));
}

class Walker {
 public:
  Walker(const HostTreeOptions& options, const std::function<bool(const HostEntry&)>& visit,
         dev_t device)
      : options_(options), visit_(visit), device_(device) {}

  bool Visit(const std::filesystem::path& path, const struct stat& status, const Place& place,
             int depth) {
    if (S_ISLNK(status.st_mode)) return true;  // never followed, never a file
    if (S_ISREG(status.st_mode)) {
      return visit_({path, HostEntry::Kind::kFile, place.folder, place.named});
    }
    if (!S_ISDIR(status.st_mode)) return visit_({path, HostEntry::Kind::kSpecial, nullptr, false});
    if (options_.oneFileSystem && status.st_dev != device_) return true;
    std::shared_ptr<const HostFolder> folder = OpenFolder(path, place);
    std::vector<ListedEntry> entries;
    if (folder == nullptr || !ListEntries(*folder, entries)) {
      return visit_({path, HostEntry::Kind::kUnlistableFolder, nullptr, false});
    }
    if (depth >= limits::kMaxHeldHostFolders) folder.reset();
    for (const ListedEntry& entry : entries) {
      const std::string& name = entry.hostName;
      const std::filesystem::path child = path / name;
      if (Excluded(child, options_)) continue;
      // A file as listed needs no look of its own: its open checks it is
      // still one, and learns its size.
      if (entry.kind == EntryKind::kFile) {
        if (!visit_({child, HostEntry::Kind::kFile, folder, false})) return false;
        continue;
      }
      struct stat childStatus {};
      const int looked = folder != nullptr ? ::fstatat(folder->Descriptor(), name.c_str(),
                                                       &childStatus, AT_SYMLINK_NOFOLLOW)
                                           : ::lstat(child.c_str(), &childStatus);
      if (looked != 0) continue;  // gone since the listing: nothing is there to check
      if (!Visit(child, childStatus, {folder, name}, depth + 1)) return false;
    }
    return true;
  }

 private:
  const HostTreeOptions& options_;
  const std::function<bool(const HostEntry&)>& visit_;
  const dev_t device_;
};

}  // namespace

bool WalkHostTree(const std::filesystem::path& root, const HostTreeOptions& options,
                  const std::function<bool(const HostEntry&)>& visit) {
  struct stat status {};
  if (::stat(root.c_str(), &status) != 0) {
    return visit({root, HostEntry::Kind::kMissing, nullptr, true});
  }
  return Walker(options, visit, status.st_dev).Visit(root, status, {nullptr, {}, true}, 0);
}

Result<File> OpenWalkedFile(const HostEntry& entry, Sharing sharing) {
  if (entry.folder == nullptr) {
    return File::OpenHostFile(entry.path, sharing,
                              entry.named ? LinkRule::kFollow : LinkRule::kRefuse);
  }
  // Listed as a regular file: the open refuses a link put there since, and
  // the lock's check anything but a regular file.
  StoreEntry listed{entry.folder->Descriptor(), entry.path.filename().string(), {}};
  listed.status.st_mode = S_IFREG;
  return File::OpenStoreEntry(listed, sharing);
}

bool DeleteHostFile(const std::filesystem::path& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  return ::unlink(path.c_str()) == 0;
}

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace kv
