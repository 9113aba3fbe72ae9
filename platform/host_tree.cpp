// WalkHostTree over lstat and directory listings; a recursion per folder
// level, each level holding only its sorted names.
#include "platform/host_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

namespace kv {
namespace {

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

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

bool ListNames(const std::filesystem::path& folder, std::vector<std::string>& names) {
  const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
  if (dir == nullptr) return false;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  std::sort(names.begin(), names.end());
  return true;
}

class Walker {
 public:
  Walker(const HostTreeOptions& options, const std::function<bool(const HostEntry&)>& visit)
      : options_(options), visit_(visit) {}

  bool Visit(const std::filesystem::path& path, const struct stat& status, dev_t device) {
    if (S_ISLNK(status.st_mode)) return true;  // never followed, never a file
    if (S_ISREG(status.st_mode)) {
      return visit_({path, HostEntry::Kind::kFile, static_cast<std::uint64_t>(status.st_size)});
    }
    if (!S_ISDIR(status.st_mode)) return visit_({path, HostEntry::Kind::kSpecial, 0});
    if (options_.oneFileSystem && status.st_dev != device) return true;
    std::vector<std::string> names;
    if (!ListNames(path, names)) return visit_({path, HostEntry::Kind::kUnlistableFolder, 0});
    for (const std::string& name : names) {
      const std::filesystem::path child = path / name;
      if (Excluded(child, options_)) continue;
      struct stat childStatus {};
      if (::lstat(child.c_str(), &childStatus) != 0) {
        // Gone since the listing: nothing is there to check.
        continue;
      }
      if (!Visit(child, childStatus, device)) return false;
    }
    return true;
  }

 private:
  const HostTreeOptions& options_;
  const std::function<bool(const HostEntry&)>& visit_;
};

}  // namespace

bool WalkHostTree(const std::filesystem::path& root, const HostTreeOptions& options,
                  const std::function<bool(const HostEntry&)>& visit) {
  struct stat status {};
  if (::stat(root.c_str(), &status) != 0) return visit({root, HostEntry::Kind::kMissing, 0});
  return Walker(options, visit).Visit(root, status, status.st_dev);
}

Result<File> OpenWalkedFile(const std::filesystem::path& path, Sharing sharing) {
  return File::OpenHostFile(path, sharing, LinkRule::kRefuse);
}

bool DeleteHostFile(const std::filesystem::path& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  return ::unlink(path.c_str()) == 0;
}

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace kv
