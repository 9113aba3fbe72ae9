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

void SortByName(std::vector<ListedEntry>& entries) {
  std::sort(entries.begin(), entries.end(),
            [](const ListedEntry& a, const ListedEntry& b) { return a.hostName < b.hostName; });
}

bool ListEntries(const HostFolder& folder, std::vector<ListedEntry>& entries) {
  Result<FolderListing> listing = FolderListing::Open(folder.Descriptor());
  if (!listing.Ok()) return false;
  while (std::optional<ListedEntry> entry = listing.value.Next()) {
    entries.push_back(std::move(*entry));
  }
  SortByName(entries);
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

// The names of the next folder of a level, read a few at a time between
// the files the walk hands out before it reaches that folder, so that a
// large folder is not read all at once while the threads that check the
// files run out of them. Sorted when the walk reaches the folder.
struct NamesAhead {
  std::string name;
  std::shared_ptr<const HostFolder> folder;  // null: it could not be opened or listed
  std::optional<FolderListing> listing;      // while names remain to be read
  std::vector<ListedEntry> entries;
};

// Names read ahead for each file the walk hands out.
constexpr int kNamesAheadPerFile = 4;

class Walker {
 public:
  Walker(const HostTreeOptions& options, const std::function<bool(const HostEntry&)>& visit,
         dev_t device)
      : options_(options), visit_(visit), device_(device) {}

  // `ahead`: the folder's names, when they were read ahead.
  bool Visit(const std::filesystem::path& path, const struct stat& status, const Place& place,
             int depth, NamesAhead* ahead = nullptr) {
    if (S_ISLNK(status.st_mode)) return true;  // never followed, never a file
    if (S_ISREG(status.st_mode)) {
      return visit_({path, HostEntry::Kind::kFile, place.folder, place.named});
    }
    if (!S_ISDIR(status.st_mode)) return visit_({path, HostEntry::Kind::kSpecial, nullptr, false});
    if (options_.oneFileSystem && status.st_dev != device_) return true;
    std::shared_ptr<const HostFolder> folder;
    std::vector<ListedEntry> entries;
    if (ahead != nullptr) {
      folder = std::move(ahead->folder);
      entries = std::move(ahead->entries);
    } else {
      folder = OpenFolder(path, place);
      if (folder != nullptr && !ListEntries(*folder, entries)) folder.reset();
    }
    if (folder == nullptr) {
      return visit_({path, HostEntry::Kind::kUnlistableFolder, nullptr, false});
    }
    if (depth >= limits::kMaxHeldHostFolders) folder.reset();
    NamesAhead next;
    bool reading = StartNamesAhead(path, folder, entries, 0, next);
    const auto leave = [this, &reading](bool result) {
      if (reading) reading_.pop_back();
      return result;
    };
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const std::string& name = entries[i].hostName;
      const std::filesystem::path child = path / name;
      if (Excluded(child, options_)) continue;
      // A file as listed needs no look of its own: its open checks it is
      // still one, and learns its size.
      if (entries[i].kind == EntryKind::kFile) {
        if (!visit_({child, HostEntry::Kind::kFile, folder, false})) return leave(false);
        ReadNamesAhead();
        continue;
      }
      std::optional<NamesAhead> reached;
      if (reading && next.name == name) {
        reading_.pop_back();  // the deeper levels' have all ended
        FinishNamesAhead(next);
        reached = std::move(next);
        reading = StartNamesAhead(path, folder, entries, i + 1, next);
      }
      struct stat childStatus {};
      const int looked = folder != nullptr ? ::fstatat(folder->Descriptor(), name.c_str(),
                                                       &childStatus, AT_SYMLINK_NOFOLLOW)
                                           : ::lstat(child.c_str(), &childStatus);
      if (looked != 0) continue;  // gone since the listing: nothing is there to check
      if (!Visit(child, childStatus, {folder, name}, depth + 1, reached ? &*reached : nullptr)) {
        return leave(false);
      }
    }
    return leave(true);
  }

 private:
  // Begins reading ahead the names of the first folder at or after `from`
  // in `entries` of the held `folder` (at `path`); false when there is
  // none. Never with --one-file-system: that folder could be on a file
  // system the walk is not to enter.
  bool StartNamesAhead(const std::filesystem::path& path,
                       const std::shared_ptr<const HostFolder>& folder,
                       const std::vector<ListedEntry>& entries, std::size_t from,
                       NamesAhead& next) {
    if (folder == nullptr || options_.oneFileSystem) return false;
    for (std::size_t i = from; i < entries.size(); ++i) {
      if (entries[i].kind != EntryKind::kFolder) continue;
      const std::string& name = entries[i].hostName;
      if (Excluded(path / name, options_)) continue;
      next = NamesAhead{name, OpenFolder(path / name, {folder, name}), std::nullopt, {}};
      if (next.folder != nullptr) {
        Result<FolderListing> listing = FolderListing::Open(next.folder->Descriptor());
        if (listing.Ok()) {
          next.listing = std::move(listing.value);
        } else {
          next.folder.reset();
        }
      }
      reading_.push_back(&next);
      return true;
    }
    return false;
  }

  // Reads a few names ahead, for the deepest level first: its folder comes
  // soonest.
  void ReadNamesAhead() {
    int budget = kNamesAheadPerFile;
    for (auto level = reading_.rbegin(); level != reading_.rend() && budget > 0; ++level) {
      NamesAhead& next = **level;
      while (next.listing && budget > 0) {
        std::optional<ListedEntry> entry = next.listing->Next();
        --budget;
        if (entry) {
          next.entries.push_back(std::move(*entry));
        } else {
          next.listing.reset();
        }
      }
    }
  }

  static void FinishNamesAhead(NamesAhead& next) {
    while (next.listing) {
      std::optional<ListedEntry> entry = next.listing->Next();
      if (!entry) break;
      next.entries.push_back(std::move(*entry));
    }
    next.listing.reset();
    SortByName(next.entries);
  }

  const HostTreeOptions& options_;
  const std::function<bool(const HostEntry&)>& visit_;
  const dev_t device_;
  std::vector<NamesAhead*> reading_;  // one a level at most, the deepest last
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
