// The quarantine folder's building blocks (quarantine_folder.h), and the
// completion of moves a crash interrupted.
#include "platform/quarantine_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <optional>
#include <random>
#include <vector>

#include "platform/fault_injection.h"
#include "platform/file_lock.h"
#include "platform/limits.h"
#include "platform/store_path.h"

namespace kv {
namespace {

constexpr std::string_view kPendingSuffix = ".pending";
constexpr std::string_view kPendingNewSuffix = ".pending-new";
constexpr std::string_view kPartialSuffix = ".partial";

// A journal's space, written with zeros when it is made: room for a full
// batch's records, so that each record's flush writes only its line.
constexpr std::size_t kJournalBytes = 16384;
// A journal read back at a start: its records and its zeros, or a file that
// is not ours.
constexpr std::size_t kMaxJournalBytes = std::size_t{1} << 20;

// The names of the folder's entries.
std::vector<std::string> EntryNames(int folder) {
  std::vector<std::string> names;
  const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listed < 0) return names;
  DIR* dir = ::fdopendir(listed);
  if (dir == nullptr) {
    ::close(listed);
    return names;
  }
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  ::closedir(dir);
  return names;
}

bool ExistsAsFile(int folder, const std::string& name) {
  struct stat status {};
  return ::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
         S_ISREG(status.st_mode);
}

bool ReadSmallFile(int fd, std::string& content) {
  std::array<char, 8192> buffer{};
  content.clear();
  for (off_t at = 0;;) {
    const ssize_t got = ::pread(fd, buffer.data(), buffer.size(), at);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 || content.size() > kMaxJournalBytes) return false;
    if (got == 0) return true;
    content.append(buffer.data(), static_cast<std::size_t>(got));
    at += got;
  }
}

bool IndexHolds(int folder, const QuarantineRecord& record) {
  const Result<IndexRecords> index = ReadIndex(folder);
  if (!index.Ok()) return false;
  const std::vector<QuarantineRecord>& records = index.value.records;
  return std::any_of(records.begin(), records.end(), [&](const QuarantineRecord& seen) {
    return seen.id == record.id && seen.outcome == record.outcome;
  });
}

// Completes or rolls back one move of a crashed batch.
bool FinishMove(const Store& store, int folder, const QuarantineRecord& record) {
  if (record.outcome == QuarantineOutcome::kQuarantined) {
    // The crash may have come before the permissions were taken away.
    const UniqueFd item(::openat(folder, record.id.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (item.IsValid()) (void)::fchmod(item.Get(), S_IRUSR | S_IWUSR);
  }
  if (!IndexHolds(folder, record)) {
    bool happened = false;
    if (record.outcome == QuarantineOutcome::kQuarantined) {
      happened = ExistsAsFile(folder, record.id);
    } else {
      happened = !ResolveStoreEntry(store, record.path).Ok();
    }
    // Not happened: the file is still in the store; the record is dropped.
    if (happened && !AppendIndexLines(folder, RecordLine(record)).Ok()) return false;
  }
  (void)::unlinkat(folder, (record.id + std::string(kPartialSuffix)).c_str(), 0);
  return true;
}

// Decides every move in a journal whose mover is gone (its lock is ours).
// The zeros end the lines; a last line without its LF was cut while
// written, before its move began; a line begun with '#' did not happen.
void FinishJournal(const Store& store, int folder, const std::string& name, int journal) {
  std::string content;
  if (!ReadSmallFile(journal, content)) return;  // not ours to judge: left for a person
  content.resize(std::min(content.size(), content.find('\0')));
  std::vector<QuarantineRecord> records;
  for (std::size_t at = 0, end = content.find('\n'); end != std::string::npos;
       at = end + 1, end = content.find('\n', at)) {
    const std::string_view line = std::string_view(content).substr(at, end + 1 - at);
    if (line.starts_with('#')) continue;
    std::optional<QuarantineRecord> parsed = ParseRecordLine(line);
    if (!parsed || !IsItemId(parsed->id)) return;
    records.push_back(std::move(*parsed));
  }
  for (const QuarantineRecord& record : records) {
    if (!FinishMove(store, folder, record)) return;
  }
  (void)::unlinkat(folder, name.c_str(), 0);
}

// The index's lock, held while a journal is created and locked and
// while a stray "<id>.pending-new" is judged: without it, a file just
// created and not yet locked would look like a crashed mover's.
UniqueFd HoldIndexLock(int folder) {
  UniqueFd index(::openat(folder, kIndexName,
                          O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY,
                          S_IRUSR | S_IWUSR));
  if (index.IsValid() &&
      LockWaiting(index.Get(), Sharing::kNone, limits::kLogLockWait) != LockStatus::kLocked) {
    index.Reset();
  }
  return index;
}

}  // namespace

Result<UniqueFd> OpenQuarantineFolder(const Store& store, bool create) {
  if (store.PrefixPath().empty()) return Failure{FileStatus::kFailed, EBADF};
  const UniqueFd prefix(::open(store.PrefixPath().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!prefix.IsValid()) return HostFailure();
  if (create && ::mkdirat(prefix.Get(), "quarantine", S_IRWXU) != 0 && errno != EEXIST) {
    return HostFailure();
  }
  UniqueFd folder(
      ::openat(prefix.Get(), "quarantine", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!folder.IsValid()) {
    return HostFailure(errno == ENOENT ? FileStatus::kFileNotFound : FileStatus::kFailed);
  }
  return folder;
}

void FinishInterruptedMoves(const Store& store, int folder) {
  for (const std::string& name : EntryNames(folder)) {
    const bool pending = name.ends_with(kPendingSuffix);
    const bool pendingNew = name.ends_with(kPendingNewSuffix);
    if (!pending && !pendingNew) continue;
    UniqueFd indexLock;
    if (pendingNew && !(indexLock = HoldIndexLock(folder)).IsValid()) continue;
    const UniqueFd fd(::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.IsValid() || ::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) continue;  // a live mover
    if (pendingNew) {
      // Made before any move began: every file is still in the store.
      (void)::unlinkat(folder, name.c_str(), 0);
      continue;
    }
    FinishJournal(store, folder, name, fd.Get());
  }
  // A copy outlives its journal only when a crash cut the move; while any
  // journal is left, the copy may be a live mover's.
  const std::vector<std::string> left = EntryNames(folder);
  if (std::any_of(left.begin(), left.end(), [](const std::string& name) {
        return name.ends_with(kPendingSuffix) || name.ends_with(kPendingNewSuffix);
      })) {
    return;
  }
  for (const std::string& name : left) {
    if (name.ends_with(kPartialSuffix)) (void)::unlinkat(folder, name.c_str(), 0);
  }
}

MoveJournal::MoveJournal(int folder)
    : folder_(folder), name_(NewItemId(std::chrono::system_clock::now())) {
  const std::string newName = name_ + std::string(kPendingNewSuffix);
  name_ += kPendingSuffix;
  {
    const UniqueFd indexLock = HoldIndexLock(folder);
    if (!indexLock.IsValid()) {
      cause_ = errno;
      return;
    }
    fd_.Reset(::openat(folder, newName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                       S_IRUSR | S_IWUSR));
    if (!fd_.IsValid()) {
      cause_ = errno;
      return;
    }
    // The lock goes with the open file through the rename below.
    if (::flock(fd_.Get(), LOCK_EX | LOCK_NB) != 0) {
      cause_ = errno;
      (void)::unlinkat(folder, newName.c_str(), 0);
      fd_.Reset();
      return;
    }
  }
  // On a disk too full for the zeros, the lines extend the file instead.
  if (!ConsumeFault(FaultPoint::kWrite)) {
    (void)WriteAll(fd_.Get(), std::string(kJournalBytes, '\0'));
  }
  if (::fsync(fd_.Get()) != 0 || ::renameat(folder, newName.c_str(), folder, name_.c_str()) != 0) {
    cause_ = errno;
    (void)::unlinkat(folder, newName.c_str(), 0);
    fd_.Reset();
  }
}

std::optional<off_t> MoveJournal::Append(const QuarantineRecord& record) {
  if (cut_) return std::nullopt;
  const std::string line = RecordLine(record);
  // A fault writes half the line and fails, as a full disk would.
  const bool full = ConsumeFault(FaultPoint::kWrite);
  const int fullCause = errno;
  const std::string_view written =
      std::string_view(line).substr(0, full ? line.size() / 2 : line.size());
  if (!WriteAllAt(fd_.Get(), written, end_) || full) {
    cause_ = full ? fullCause : errno;
    cut_ = true;
    return std::nullopt;
  }
  const off_t offset = end_;
  end_ += static_cast<off_t>(line.size());
  return offset;
}

bool MoveJournal::Sync() {
  if (synced_ == end_) return true;
  // A cut journal's lines before the cut still belong to moves to be made.
  if (ConsumeFault(FaultPoint::kQuarantineJournalSync) || ::fdatasync(fd_.Get()) != 0) {
    cause_ = errno;
    cut_ = true;
    return false;
  }
  synced_ = end_;
  return true;
}

void MoveJournal::Cancel(off_t offset) { (void)WriteAllAt(fd_.Get(), "#", offset); }

void MoveJournal::Drop() {
  if (!fd_.IsValid()) return;
  (void)::unlinkat(folder_, name_.c_str(), 0);
  fd_.Reset();
}

std::uint64_t ItemBytes(int folder) {
  std::uint64_t total = 0;
  for (const std::string& name : EntryNames(folder)) {
    struct stat status {};
    if ((IsItemId(name) || name.ends_with(kPartialSuffix)) &&
        ::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(status.st_mode)) {
      total += static_cast<std::uint64_t>(status.st_size);
    }
  }
  return total;
}

int RenameNoReplace(int fromFolder, const std::string& from, int toFolder, const std::string& to) {
  if (ConsumeFault(FaultPoint::kQuarantineMove) ||
      ConsumeFault(FaultPoint::kQuarantineCrossDevice)) {
    return -1;
  }
  return ::renameat2(fromFolder, from.c_str(), toFolder, to.c_str(), RENAME_NOREPLACE);
}

Result<void> CopyFileInto(int from, int folder, const std::string& name, mode_t mode) {
  UniqueFd to(
      ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
  if (!to.IsValid()) return HostFailure();
  std::vector<char> buffer(std::size_t{1} << 16);
  bool copied = true;
  for (off_t at = 0; copied;) {
    const ssize_t got = ::pread(from, buffer.data(), buffer.size(), at);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      copied = got == 0;
      break;
    }
    copied = !ConsumeFault(FaultPoint::kQuarantineCopy) &&
             WriteAll(to.Get(), std::string_view(buffer.data(), static_cast<std::size_t>(got)));
    at += got;
  }
  // fchmod too: the creation mode is cut by the umask.
  copied = copied && ::fchmod(to.Get(), mode) == 0 && ::fsync(to.Get()) == 0 && to.Close();
  if (copied) return {};
  const Failure failed = HostFailure();
  (void)::unlinkat(folder, name.c_str(), 0);
  return failed;
}

}  // namespace kv
