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
                          StoreAttributes attributes, QuarantineBatch::Found& found) {
  Result<ResolvedEntry> resolved = ResolveStoreEntry(store, devicePath);
  // A failure to set them shows up as the move's failure.
  if (resolved.Ok() && attributes == StoreAttributes::kSetNormal) {
    (void)SetEntryNormal(resolved.value.entry);
  }
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

// Moves the found file into the quarantine as `id`: a rename, left to the
// caller to flush, or on another file system a copy, flushed, and the
// unlink of the original. Fails when the file stays in the store (and
// nothing of it in the quarantine).
Result<void> MoveIn(QuarantineBatch::Found& found, int quarantine, const std::string& id) {
  const std::string& name = found.entry.hostName;
  if (RenameNoReplace(found.entry.folder, name, quarantine, id) == 0) {
    struct stat arrived {};
    if (::fstatat(quarantine, id.c_str(), &arrived, AT_SYMLINK_NOFOLLOW) == 0 &&
        SameInode(arrived, found.status)) {
      return {};  // the caller flushes the folder
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

// A move reserved: the file found and open, its record's line written to
// `journal` at `line`; or, once it is not `pending`, its result.
struct QuarantineBatch::Reserved {
  QuarantineResult result;
  Found found;
  QuarantineRecord record;
  MoveJournal* journal = nullptr;
  off_t line = 0;
  bool full = false;  // deleted, not moved: the quarantine has no room for it
  bool pending = false;
};

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
  const std::size_t place = ReserveStoreFile(devicePath, note);
  return std::move(MoveReserved()[place]);
}

std::size_t QuarantineBatch::ReserveStoreFile(std::u16string_view devicePath,
                                              const QuarantineNote& note,
                                              StoreAttributes attributes) {
  return ReserveFound(
      [&](Found& found) { return FindFile(store_, devicePath, attributes, found); },
      [&](const Found& found) { return RecordedPath(devicePath, found.entry.hostName); }, note);
}

QuarantineResult QuarantineBatch::MoveHostFile(const std::filesystem::path& path,
                                               const QuarantineNote& note) {
  const std::size_t place = ReserveHostFile(path, note);
  return std::move(MoveReserved()[place]);
}

std::size_t QuarantineBatch::ReserveHostFile(const std::filesystem::path& path,
                                             const QuarantineNote& note) {
  const std::filesystem::path absolute = std::filesystem::absolute(path);
  return ReserveFound([&](Found& found) { return FindHostFile(absolute, found); },
                      [&](const Found&) { return HostNameToDevice(absolute.native()); }, note);
}

std::size_t QuarantineBatch::ReserveFound(const FindFn& find, const RecordedPathFn& recordedPath,
                                          const QuarantineNote& note) {
  const std::size_t place = reserved_.size();
  Reserved& move = reserved_.emplace_back();
  if (const Result<void> open = OpenFolder(); !open.Ok()) {
    move.result = {QuarantineStatus::kFailed, {}, open.cause};
  } else if (QuarantineResult opened = find(move.found);
             opened.status != QuarantineStatus::kQuarantined) {
    move.result = opened;
  } else {
    Reserve(move, recordedPath(move.found), note);
  }
  return place;
}

// Takes the found file's record and writes it to the journal; `recordedPath`
// is where a restore puts it back.
void QuarantineBatch::Reserve(Reserved& move, std::u16string recordedPath,
                              const QuarantineNote& note) {
  const auto now = std::chrono::system_clock::now();
  QuarantineRecord& record = move.record;
  record.id = NewItemId(now);
  record.time = UtcTimeText(now);
  record.path = std::move(recordedPath);
  record.signature = note.signature;
  record.scanMode = note.scanMode;
  record.permissions = move.found.status.st_mode & 07777;
  if (note.read != nullptr && note.read->version == VersionOf(move.found.status)) {
    record.sha256 = note.read->digest.sha256;
    record.size = note.read->digest.size;
  } else {
    const Result<FileDigest> digest = Sha256OfFile(move.found.fd.Get());
    if (!digest.Ok()) {
      move.result = {QuarantineStatus::kFailed, {}, digest.cause};
      return;
    }
    record.sha256 = digest.value.sha256;
    record.size = digest.value.size;
  }
  move.full = heldBytes_ > capBytes_ || record.size > capBytes_ - heldBytes_;
  record.outcome = move.full ? QuarantineOutcome::kDeleted : QuarantineOutcome::kQuarantined;
  const Result<off_t> journaled = Journal(record);
  if (!journaled.Ok()) {
    move.result = {QuarantineStatus::kFailed, {}, journaled.cause};
    return;
  }
  // Counted now, so that the moves reserved after it find its room taken.
  if (!move.full) heldBytes_ += record.size;
  move.journal = journals_.back().get();
  move.line = journaled.value;
  move.pending = true;
}

void QuarantineBatch::NotDone(Reserved& move, int cause) {
  move.journal->Cancel(move.line);
  if (!move.full) heldBytes_ -= move.record.size;
  move.result = {QuarantineStatus::kFailed, {}, cause};
  move.pending = false;
}

std::vector<QuarantineResult> QuarantineBatch::MoveReserved() {
  const int quarantine = folder_.Get();
  // Every record on the disk before any file leaves the store.
  for (const std::unique_ptr<MoveJournal>& journal : journals_) {
    if (journal->Sync()) continue;
    keepJournals_ = true;
    for (Reserved& move : reserved_) {
      if (move.pending && move.journal == journal.get()) NotDone(move, journal->Cause());
    }
  }
  // A deletion waits for the journal's name, which the folder holds.
  if (std::any_of(reserved_.begin(), reserved_.end(),
                  [](const Reserved& move) { return move.pending && move.full; })) {
    SyncFolder(quarantine);
  }
  bool moved = false;
  for (Reserved& move : reserved_) {
    if (!move.pending) continue;
    MoveOne(move);
    moved = moved || (move.pending && !move.full);
  }
  // The journal's name and the items reach the disk together, before the
  // store's folders, which no longer hold the files, are flushed.
  if (moved) SyncFolder(quarantine);
  RecordMoved();
  std::vector<QuarantineResult> results;
  for (Reserved& move : reserved_) results.push_back(std::move(move.result));
  reserved_.clear();
  if (unflushed_ >= kMaxUnflushed) Flush();
  return results;
}

void QuarantineBatch::MoveOne(Reserved& move) {
  if (move.full) {
    // Deleted as before the quarantine existed, once its record is on the
    // disk; DeleteStoreFile's fault.
    if (ConsumeFault(FaultPoint::kDelete) ||
        ::unlinkat(move.found.entry.folder, move.found.entry.hostName.c_str(), 0) != 0) {
      NotDone(move, errno);
      return;
    }
  } else {
    if (const Result<void> moved = MoveIn(move.found, folder_.Get(), move.record.id); !moved.Ok()) {
      NotDone(move, moved.cause);
      return;
    }
    (void)::fchmod(move.found.fd.Get(), S_IRUSR | S_IWUSR);  // nothing in the quarantine runs
  }
  move.result = {move.full ? QuarantineStatus::kDeleted : QuarantineStatus::kQuarantined,
                 move.record.id, 0};
}

void QuarantineBatch::RecordMoved() {
  std::string lines;
  for (const Reserved& move : reserved_) {
    if (move.pending) lines += RecordLine(move.record);
  }
  if (lines.empty()) return;
  const Result<void> recorded = AppendIndexLines(folder_.Get(), lines, IndexSync::kLater);
  for (Reserved& move : reserved_) {
    if (!move.pending) continue;
    move.pending = false;
    if (recorded.Ok()) {
      KeepUnflushed(std::move(move.found.folder));
    } else if (!move.full && MoveBack(move.found, folder_.Get(), move.record.id)) {
      NotDone(move, recorded.cause);
    } else {
      keepJournals_ = true;  // gone from the store: the journal stays for the next start
    }
  }
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
  MovedFrom added{std::move(from), {}};
  if (::fstat(added.fd.Get(), &added.status) == 0 &&
      std::any_of(movedFrom_.begin(), movedFrom_.end(),
                  [&](const MovedFrom& held) { return SameInode(held.status, added.status); })) {
    return;
  }
  movedFrom_.push_back(std::move(added));
}

void QuarantineBatch::Flush() {
  // Moves reserved and never made: their files stay in the store.
  for (Reserved& move : reserved_) {
    if (move.pending) NotDone(move, 0);
  }
  if (journals_.empty()) return;
  bool synced = true;
  if (unflushed_ > 0) {
    synced = !ConsumeFault(FaultPoint::kQuarantineSync);
    for (const MovedFrom& from : movedFrom_) synced = synced && SyncFolder(from.fd.Get());
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
