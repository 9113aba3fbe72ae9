// The scan reports' file. The rotation is done under the same lock as the
// appends, so an append never writes into a file that has just been renamed
// away.
#include "platform/report_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "platform/file_lock.h"
#include "platform/limits.h"
#include "platform/unique_fd.h"

namespace kv {
namespace {

constexpr char kFolderName[] = "reports";
constexpr char kFileName[] = "scans.ndjson";
constexpr char kLockName[] = ".lock";

std::string Generation(int number) {
  return number == 0 ? std::string(kFileName)
                     : std::string(kFileName) + "." + std::to_string(number);
}

UniqueFd OpenFolder(const Store& store, bool create) {
  const std::filesystem::path folder = store.PrefixPath() / kFolderName;
  if (create && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return UniqueFd();
  return UniqueFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

void RotateIfFull(int folder) {
  struct stat status {};
  if (::fstatat(folder, kFileName, &status, AT_SYMLINK_NOFOLLOW) != 0 ||
      static_cast<std::uint64_t>(status.st_size) < limits::kMaxReportBytes) {
    return;
  }
  // The oldest kept generation goes, then each moves one up; one that is
  // not there is simply skipped.
  (void)::unlinkat(folder, Generation(limits::kReportGenerations).c_str(), 0);
  for (int number = limits::kReportGenerations - 1; number >= 0; --number) {
    (void)::renameat(folder, Generation(number).c_str(), folder, Generation(number + 1).c_str());
  }
}

}  // namespace

bool AppendReportLine(const Store& store, std::string_view line) {
  const UniqueFd folder = OpenFolder(store, true);
  if (!folder.IsValid()) return false;
  const UniqueFd lock(
      ::openat(folder.Get(), kLockName, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!lock.IsValid() ||
      LockWaiting(lock.Get(), Sharing::kNone, limits::kLogLockWait) != LockStatus::kLocked) {
    return false;
  }
  RotateIfFull(folder.Get());
  const UniqueFd file(::openat(folder.Get(), kFileName,
                               O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  std::string bytes(line);
  bytes += '\n';
  return file.IsValid() && WriteAll(file.Get(), bytes);
}

Result<std::vector<std::string>> ReadReportLines(const Store& store, bool withOlder) {
  std::vector<std::string> lines;
  const std::filesystem::path folder = store.PrefixPath() / kFolderName;
  for (int number = withOlder ? limits::kReportGenerations : 0; number >= 0; --number) {
    const std::filesystem::path path = folder / Generation(number);
    std::error_code error;
    if (!std::filesystem::exists(path, error)) continue;
    std::ifstream in(path, std::ios::binary);
    if (!in) return HostFailure();
    for (std::string line; std::getline(in, line);) lines.push_back(std::move(line));
    if (in.bad()) return HostFailure();
  }
  return lines;
}

}  // namespace kv
