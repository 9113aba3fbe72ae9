// ReplacementFileName and RemoveStrayReplacements. The folder is reached by
// the store's no-follow resolution and read through a descriptor of its
// own; each stray is checked with fstatat without following links and
// removed with unlinkat in that same folder, so a link planted under a
// stray's name is never followed and only a regular file goes.
#include "platform/replacement_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "platform/device_path.h"
#include "platform/host_name.h"
#include "platform/store_path.h"

namespace kv {
namespace {

constexpr std::string_view kNewMark = ".new-";
constexpr std::size_t kRandomDigits = 8;

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

bool IsLowerHex(std::string_view text) {
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

// True for "." + target + ".new-" + 8 hex digits, the target ignoring case.
bool IsReplacementOf(std::string_view name, std::string_view target) {
  const std::size_t expected = 1 + target.size() + kNewMark.size() + kRandomDigits;
  if (name.size() != expected || name.front() != '.') return false;
  name.remove_prefix(1);
  return EqualIgnoringCase(name.substr(0, target.size()), target) &&
         name.substr(target.size(), kNewMark.size()) == kNewMark &&
         IsLowerHex(name.substr(target.size() + kNewMark.size()));
}

struct DirCloser {
  void operator()(DIR* dir) const { (void)::closedir(dir); }
};

}  // namespace

std::string ReplacementFileName(std::string_view target, unsigned random) {
  std::array<char, kRandomDigits + 1> digits{};
  std::snprintf(digits.data(), digits.size(), "%08x", random);
  return "." + std::string(target) + std::string(kNewMark) + digits.data();
}

int RemoveStrayReplacements(const Store& store, std::u16string_view devicePath) {
  const std::optional<std::vector<std::u16string>> names = SplitDevicePath(devicePath);
  if (!names || names->empty()) return -1;
  const std::optional<std::string> target = DeviceNameToHost(names->back());
  if (!target) return -1;
  const Result<ResolvedEntry> resolved = ResolveStoreEntry(store, devicePath);
  if (resolved.status == FileStatus::kFailed) return -1;
  const int folder = resolved.value.folder.Get();
  const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listed < 0) return -1;
  const std::unique_ptr<DIR, DirCloser> dir(::fdopendir(listed));
  if (!dir) {
    (void)::close(listed);
    return -1;
  }
  // Names first, removals after: unlinking while readdir runs may skip some.
  std::vector<std::string> strays;
  while (const dirent* found = ::readdir(dir.get())) {
    if (IsReplacementOf(found->d_name, *target)) strays.emplace_back(found->d_name);
  }
  int removed = 0;
  for (const std::string& stray : strays) {
    struct stat status {};
    if (::fstatat(folder, stray.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(status.st_mode) && ::unlinkat(folder, stray.c_str(), 0) == 0) {
      ++removed;
    }
  }
  return removed;
}

}  // namespace kv
