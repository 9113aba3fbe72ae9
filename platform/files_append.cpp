// Appending to a store file: the open that creates a missing file, the
// write that always lands at the end, and the truncation that takes back a
// write cut short.
//
// The file is opened with O_APPEND, so the host moves every write to the
// end of the file as it is at that moment: a writer that waited for a lock
// while another grew the file never overwrites what the other wrote.
// Creation goes through the same no-follow resolution as every store open,
// and O_NOFOLLOW makes the create itself refuse a link put in place
// meanwhile.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/fault_injection.h"
#include "platform/files.h"
#include "platform/store_path.h"
#include "platform/unique_fd.h"

namespace kv {
namespace {

constexpr int kAppendFlags =
    O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
constexpr mode_t kNewFileMode = S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH;

}  // namespace

Result<File> File::OpenForAppend(const Store& store, std::u16string_view devicePath) {
  // kFileNotFound leaves the host name to create, or the link standing
  // there, which O_NOFOLLOW then refuses.
  const Result<ResolvedEntry> found = ResolveStoreEntry(store, devicePath);
  if (found.status != FileStatus::kOk && found.status != FileStatus::kFileNotFound) {
    return Failure{FileStatus::kFailed, found.cause};
  }
  const StoreEntry& entry = found.value.entry;
  if (found.Ok() && !S_ISREG(entry.status.st_mode)) return Failure{};
  UniqueFd fd(
      ::openat(found.value.folder.Get(), entry.hostName.c_str(), kAppendFlags, kNewFileMode));
  if (!fd.IsValid()) return HostFailure();
  struct stat status {};
  if (::fstat(fd.Get(), &status) != 0) return HostFailure();
  if (!S_ISREG(status.st_mode)) return Failure{};
  File file;
  file.fd_ = std::move(fd);
  return file;
}

Result<void> File::Append(std::string_view bytes) {
  if (ConsumeFault(FaultPoint::kWrite)) {
    const Failure full = HostFailure();
    (void)WriteAll(fd_.Get(), bytes.substr(0, bytes.size() / 2));
    return full;
  }
  if (!WriteAll(fd_.Get(), bytes)) return HostFailure();
  return {};
}

Result<void> File::Truncate(uint64_t size) {
  int result;
  do {
    result = ::ftruncate(fd_.Get(), static_cast<off_t>(size));
  } while (result != 0 && errno == EINTR);
  if (result != 0) return HostFailure();
  return {};
}

}  // namespace kv
