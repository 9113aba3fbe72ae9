// ReplaceStoreFile: write beside, flush, rename into place. The folder is
// reached by the same no-follow resolution as every store call, and the new
// file is created with O_EXCL | O_NOFOLLOW in that folder's descriptor, so
// neither a link on the way nor one planted at the new file's name can send
// the bytes outside the store. rename(2) replaces the old file in one step:
// a reader opens either the whole old file or the whole new one.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/device_path.h"
#include "platform/fault_injection.h"
#include "platform/files.h"
#include "platform/host_name.h"
#include "platform/replacement_files.h"
#include "platform/store_path.h"
#include "platform/unique_fd.h"

namespace kv {
namespace {

// How many random names are tried for the new file before giving up; a
// clash needs a stray file of the same random name already there.
constexpr int kNewNameAttempts = 8;

// The new file beside `target`; removed on destruction unless kept.
class NewFileBeside {
 public:
  NewFileBeside(int folder, const std::string& target) : folder_(folder) {
    if (ConsumeFault(FaultPoint::kCreate)) {
      createCause_ = errno;
      return;
    }
    std::random_device random;
    for (int attempt = 0; attempt < kNewNameAttempts && !fd_.IsValid(); ++attempt) {
      name_ = ReplacementFileName(target, static_cast<unsigned>(random()));
      fd_.Reset(::openat(folder, name_.c_str(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
      if (!fd_.IsValid() && errno != EEXIST) break;
    }
    if (!fd_.IsValid()) {
      createCause_ = errno;
      name_.clear();
    }
  }
  NewFileBeside(const NewFileBeside&) = delete;
  NewFileBeside& operator=(const NewFileBeside&) = delete;
  ~NewFileBeside() {
    if (!name_.empty()) (void)::unlinkat(folder_, name_.c_str(), 0);
  }

  // Whether the new file was created, and if not, why.
  Result<void> Created() const {
    if (fd_.IsValid()) return {};
    return Failure{FileStatus::kFailed, createCause_};
  }

  // Writes `content` whole, flushes it to the disk and closes the file.
  Result<void> WriteAndClose(std::string_view content) {
    std::size_t done = 0;
    while (done < content.size()) {
      const ssize_t wrote = ConsumeFault(FaultPoint::kWrite)
                                ? -1
                                : ::write(fd_.Get(), content.data() + done, content.size() - done);
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote < 0) return HostFailure();
      if (wrote == 0) return Failure{FileStatus::kFailed, ENOSPC};
      done += static_cast<std::size_t>(wrote);
    }
    if (::fsync(fd_.Get()) != 0 || !fd_.Close()) return HostFailure();
    return {};
  }

  // Renames the new file to `target`; it is then no longer removed.
  Result<void> RenameTo(const std::string& target) {
    if (ConsumeFault(FaultPoint::kRename) ||
        ::renameat(folder_, name_.c_str(), folder_, target.c_str()) != 0) {
      return HostFailure();
    }
    name_.clear();
    return {};
  }

 private:
  int folder_;
  int createCause_ = 0;
  std::string name_;
  UniqueFd fd_;
};

}  // namespace

Result<void> ReplaceStoreFile(const Store& store, std::u16string_view devicePath,
                              std::string_view content) {
  const std::optional<std::vector<std::u16string>> names = SplitDevicePath(devicePath);
  if (!names || names->empty()) return Failure{};
  const Result<ResolvedEntry> found = ResolveStoreEntry(store, devicePath);
  std::string target;
  switch (found.status) {
    case FileStatus::kOk:
      if (!S_ISREG(found.value.entry.status.st_mode)) return Failure{};
      target = found.value.entry.hostName;  // the existing spelling
      break;
    case FileStatus::kFileNotFound: {
      std::optional<std::string> hostName = DeviceNameToHost(names->back());
      if (!hostName) return Failure{};
      target = std::move(*hostName);
      break;
    }
    case FileStatus::kFailed:
    case FileStatus::kLocked:
    case FileStatus::kNotRegular:
      return found.Error();
  }
  const int folder = found.value.folder.Get();
  NewFileBeside newFile(folder, target);
  Result<void> done = newFile.Created();
  if (done.Ok()) done = newFile.WriteAndClose(content);
  if (done.Ok()) done = newFile.RenameTo(target);
  if (!done.Ok()) return done;
  SyncFolder(folder);
  return {};
}

}  // namespace kv
