// QuarantineBatch (quarantine_batch.h) and QuarantineStoreFile
// (quarantine.h) over it: hash, journaled record, move, record.
// The store file is reached as DeleteStoreFile reaches it, one component at
// a time without links, and moved with renameat2(RENAME_NOREPLACE) from its
// folder's descriptor; the inode that arrives is checked against the one
// hashed, so a name swapped in between is moved back, not quarantined.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>
#include <vector>

#include "platform/device_path.h"
#include "platform/fault_injection.h"
#include "platform/file_digest.h"
#include "platform/host_name.h"
#include "platform/quarantine.h"
#include "platform/quarantine_batch.h"
#include "platform/quarantine_folder.h"
#include "platform/store_path.h"

namespace kv {

// The file as it was found: its folder, its name there, and an open
// descriptor on the very inode.
struct QuarantineBatch::Found {
  UniqueFd folder;
  StoreEntry entry;
  UniqueFd fd;
  struct stat status {};
};

namespace {

bool SameInode(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The device path with its last name spelt as on the host, so that a
// restore brings the file back under its own name.
std::u16string RecordedPath(std::u16string_view devicePath, const std::string& hostName) {
  const std::vector<std::u16string> names =
      SplitDevicePath(devicePath).value_or(std::vector<std::u16string>{});
  std::u16string path;
  for (std::size_t i = 0; i + 1 < names.size(); ++i) path += u"\\" + names[i];
  return path + u"\\" + HostNameToDevice(hostName);
}

// A failed quarantine with the host's cause as errno stands now.
QuarantineResult HostRefused(QuarantineStatus status = QuarantineStatus::kFailed) {
  return {status, {}, status == QuarantineStatus::kFailed ? errno : 0};
}

// What the lookup or open found: kQuarantined stands for "found and open".
QuarantineResult OpenFound(QuarantineBatch::Found& found);

QuarantineResult FindFile(const Store& store, std::u16string_view devicePath,
                          QuarantineBatch::Found& found) {
  Result<ResolvedEntry> resolved = ResolveStoreEntry(store, devicePath);
  found.folder = std::move(resolved.value.folder);
  found.entry = std::move(resolved.value.entry);
  switch (resolved.status) {
    case FileStatus::kOk:
      break;
    case FileStatus::kFileNotFound:
      return {QuarantineStatus::kNotFound, {}, 0};
    case FileStatus::kFailed:
    case FileStatus::kLocked:
    case FileStatus::kNotRegular:
      return {QuarantineStatus::kFailed, {}, resolved.cause};
  }
  return OpenFound(found);
}

// A host file the user named for the quarantine (tarnscan scan): its
// folder opened as it stands, its own name never followed as a link.
QuarantineResult FindHostFile(const std::filesystem::path& path, QuarantineBatch::Found& found) {
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
  found.folder.Reset(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!found.folder.IsValid()) return HostRefused();
  found.entry.folder = found.folder.Get();
  found.entry.hostName = path.filename().string();
  if (::fstatat(found.entry.folder, found.entry.hostName.c_str(), &found.entry.status,
                AT_SYMLINK_NOFOLLOW) != 0) {
    return HostRefused(errno == ENOENT ? QuarantineStatus::kNotFound : QuarantineStatus::kFailed);
  }
  if (S_ISLNK(found.entry.status.st_mode)) return {QuarantineStatus::kNotFound, {}, 0};
  return OpenFound(found);
}

QuarantineResult OpenFound(QuarantineBatch::Found& found) {
  const struct stat& seen = found.entry.status;
  // What DeleteStoreFile refuses: no host call failed, so no cause.
  if (!S_ISREG(seen.st_mode) || !(seen.st_mode & S_IWUSR)) return {};
  found.fd.Reset(::openat(found.entry.folder, found.entry.hostName.c_str(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!found.fd.IsValid()) {
    return HostRefused(errno == ENOENT || errno == ELOOP ? QuarantineStatus::kNotFound
                                                         : QuarantineStatus::kFailed);
  }
  if (::fstat(found.fd.Get(), &found.status) != 0) return HostRefused();
  if (!SameInode(found.status, seen)) return {};
  return {QuarantineStatus::kQuarantined, {}, 0};
}

// Moves the found file into the quarantine as `id`: a rename, or on another
// file system a copy and the unlink of the original. Fails when the file
// stays in the store (and nothing of it in the quarantine).
Result<void> MoveIn(QuarantineBatch::Found& found, int quarantine, const std::string& id) {
  const std::string& name = found.entry.hostName;
  if (RenameNoReplace(found.entry.folder, name, quarantine, id) == 0) {
    struct stat arrived {};
    if (::fstatat(quarantine, id.c_str(), &arrived, AT_SYMLINK_NOFOLLOW) == 0 &&
        SameInode(arrived, found.status)) {
      // The journal's name and the item reach the disk together, before
      // the store's folder, which no longer holds the file, is flushed.
      SyncFolder(quarantine);
      return {};
    }
    // Another entry was swapped in under the name: it goes back.
    (void)::renameat2(quarantine, id.c_str(), found.entry.folder, name.c_str(), RENAME_NOREPLACE);
    return Failure{};
  }
  if (errno != EXDEV) return HostFailure();
  const std::string partial = id + ".partial";
  if (Result<void> copied = CopyFileInto(found.fd.Get(), quarantine, partial, S_IRUSR | S_IWUSR);
      !copied.Ok()) {
    return copied;
  }
  struct stat still {};
  const bool same = ::fstatat(found.entry.folder, name.c_str(), &still, AT_SYMLINK_NOFOLLOW) == 0 &&
                    SameInode(still, found.status);
  if (!same || ::renameat(quarantine, partial.c_str(), quarantine, id.c_str()) != 0) {
    const Failure failed{FileStatus::kFailed, same ? errno : 0};
    (void)::unlinkat(quarantine, partial.c_str(), 0);
    return failed;
  }
  SyncFolder(quarantine);
  if (ConsumeFault(FaultPoint::kDelete) || ::unlinkat(found.entry.folder, name.c_str(), 0) != 0) {
    const Failure failed = HostFailure();
    (void)::unlinkat(quarantine, id.c_str(), 0);
    return failed;
  }
  return {};
}

// Puts a moved file back where it was found; false when it cannot (then it
// stays in the quarantine, and its journal is kept for the next
// start to complete).
bool MoveBack(QuarantineBatch::Found& found, int quarantine, const std::string& id) {
  (void)::fchmod(found.fd.Get(), found.status.st_mode & 07777);
  return RenameNoReplace(quarantine, id, found.entry.folder, found.entry.hostName) == 0;
}

}  // namespace

QuarantineBatch::QuarantineBatch(const Store& store, std::uint64_t capBytes)
    : store_(store), capBytes_(capBytes) {}

QuarantineBatch::~QuarantineBatch() { Flush(); }

Result<void> QuarantineBatch::OpenFolder() {
  if (folder_.IsValid()) return {};
  Result<UniqueFd> opened = OpenQuarantineFolder(store_, true);
  if (!opened.Ok()) return opened.Error();
  FinishInterruptedMoves(store_, opened.value.Get());
  heldBytes_ = ItemBytes(opened.value.Get());
  folder_ = std::move(opened.value);
  return {};
}

QuarantineResult QuarantineBatch::MoveStoreFile(std::u16string_view devicePath,
                                                const QuarantineNote& note) {
  if (const Result<void> open = OpenFolder(); !open.Ok()) {
    return {QuarantineStatus::kFailed, {}, open.cause};
  }
  Found found;
  if (QuarantineResult opened = FindFile(store_, devicePath, found);
      opened.status != QuarantineStatus::kQuarantined) {
    return opened;
  }
  return MoveFound(found, RecordedPath(devicePath, found.entry.hostName), note);
}

QuarantineResult QuarantineBatch::MoveHostFile(const std::filesystem::path& path,
                                               const QuarantineNote& note) {
  if (const Result<void> open = OpenFolder(); !open.Ok()) {
    return {QuarantineStatus::kFailed, {}, open.cause};
  }
  Found found;
  const std::filesystem::path absolute = std::filesystem::absolute(path);
  if (QuarantineResult opened = FindHostFile(absolute, found);
      opened.status != QuarantineStatus::kQuarantined) {
    return opened;
  }
  return MoveFound(found, HostNameToDevice(absolute.native()), note);
}

// Moves the found file in with its record; `recordedPath` is where a
// restore puts it back.
QuarantineResult QuarantineBatch::MoveFound(Found& found, std::u16string recordedPath,
                                            const QuarantineNote& note) {
  const int quarantine = folder_.Get();
  const auto now = std::chrono::system_clock::now();
  QuarantineRecord record;
  record.id = NewItemId(now);
  record.time = UtcTimeText(now);
  record.path = std::move(recordedPath);
  record.signature = note.signature;
  record.scanMode = note.scanMode;
  record.permissions = found.status.st_mode & 07777;
  if (note.read != nullptr && note.read->version == VersionOf(found.status)) {
    record.sha256 = note.read->digest.sha256;
    record.size = note.read->digest.size;
  } else {
    const Result<FileDigest> digest = Sha256OfFile(found.fd.Get());
    if (!digest.Ok()) return {QuarantineStatus::kFailed, {}, digest.cause};
    record.sha256 = digest.value.sha256;
    record.size = digest.value.size;
  }
  const bool full = heldBytes_ > capBytes_ || record.size > capBytes_ - heldBytes_;
  record.outcome = full ? QuarantineOutcome::kDeleted : QuarantineOutcome::kQuarantined;

  const Result<off_t> journaled = Journal(record);
  if (!journaled.Ok()) return {QuarantineStatus::kFailed, {}, journaled.cause};
  const auto notDone = [&](int cause) {
    journals_.back()->Cancel(journaled.value);
    return QuarantineResult{QuarantineStatus::kFailed, {}, cause};
  };
  if (full) {
    // Deleted as before the quarantine existed, once its record is on the
    // disk; DeleteStoreFile's fault.
    SyncFolder(quarantine);
    if (ConsumeFault(FaultPoint::kDelete) ||
        ::unlinkat(found.entry.folder, found.entry.hostName.c_str(), 0) != 0) {
      return notDone(errno);
    }
  } else {
    if (const Result<void> moved = MoveIn(found, quarantine, record.id); !moved.Ok()) {
      return notDone(moved.cause);
    }
    (void)::fchmod(found.fd.Get(), S_IRUSR | S_IWUSR);  // nothing in the quarantine runs
  }
  const QuarantineResult result{full ? QuarantineStatus::kDeleted : QuarantineStatus::kQuarantined,
                                record.id, 0};
  if (const Result<void> recorded =
          AppendIndexLine(quarantine, RecordLine(record), IndexSync::kLater);
      !recorded.Ok()) {
    if (!full && MoveBack(found, quarantine, record.id)) return notDone(recorded.cause);
    // Gone from the store: the journal stays for the next start.
    keepJournals_ = true;
    return result;
  }
  if (!full) heldBytes_ += record.size;
  KeepUnflushed(std::move(found.folder));
  return result;
}

Result<off_t> QuarantineBatch::Journal(const QuarantineRecord& record) {
  if (journals_.empty() || journals_.back()->IsCut()) {
    auto journal = std::make_unique<MoveJournal>(folder_.Get());
    if (!journal->IsOpen()) return Failure{FileStatus::kFailed, journal->Cause()};
    journals_.push_back(std::move(journal));
  }
  MoveJournal& journal = *journals_.back();
  if (const std::optional<off_t> offset = journal.Append(record)) return *offset;
  keepJournals_ = true;  // the cut journal stays for the next start
  return Failure{FileStatus::kFailed, journal.Cause()};
}

void QuarantineBatch::KeepUnflushed(UniqueFd from) {
  ++unflushed_;
  struct stat added {};
  const bool known = ::fstat(from.Get(), &added) == 0;
  const bool kept = std::any_of(movedFrom_.begin(), movedFrom_.end(), [&](const UniqueFd& folder) {
    struct stat held {};
    return known && ::fstat(folder.Get(), &held) == 0 && SameInode(held, added);
  });
  if (!kept) movedFrom_.push_back(std::move(from));
  if (unflushed_ >= kMaxUnflushed) Flush();
}

void QuarantineBatch::Flush() {
  if (journals_.empty()) return;
  bool synced = true;
  if (unflushed_ > 0) {
    synced = !ConsumeFault(FaultPoint::kQuarantineSync);
    for (const UniqueFd& from : movedFrom_) synced = synced && SyncFolder(from.Get());
    synced = synced && SyncFolder(folder_.Get()) && SyncIndex(folder_.Get());
  }
  // Otherwise the journals stay for the next start, which finds their moves done.
  if (synced && !keepJournals_) {
    for (const std::unique_ptr<MoveJournal>& journal : journals_) journal->Drop();
  }
  journals_.clear();
  unflushed_ = 0;
  movedFrom_.clear();
  keepJournals_ = false;
}

QuarantineResult QuarantineStoreFile(const Store& store, std::u16string_view devicePath,
                                     const QuarantineNote& note, std::uint64_t capBytes) {
  QuarantineBatch batch(store, capBytes);
  return batch.MoveStoreFile(devicePath, note);
}

QuarantineResult QuarantineHostFile(const Store& store, const std::filesystem::path& path,
                                    const QuarantineNote& note, std::uint64_t capBytes) {
  QuarantineBatch batch(store, capBytes);
  return batch.MoveHostFile(path, note);
}

}  // namespace kv
