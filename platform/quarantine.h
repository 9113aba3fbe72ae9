// The quarantine, <prefix>/quarantine/: where scans put the files they
// remove from the store, so that a false positive can be undone.
//
// Entry points: QuarantineStoreFile (for the scan engine, in place of
// DeleteStoreFile; a walk's many moves go through a QuarantineBatch,
// quarantine_batch.h), ListQuarantine, RestoreQuarantineItem,
// PurgeQuarantineItem, PurgeQuarantineOlderThan.
//
// The folder lies beside the store, not in it, so no scan, walk or update
// sees it. It holds one file per item, named by the item's id, with
// permissions 0600 (nothing in it can be run), and the append-only index of
// records (quarantine_index.h states the format).
//
// A move is crash-safe: the file is hashed and sized through a descriptor
// opened without following links, then the record it will get is written
// to a move journal, "<journal id>.pending" (held under a lock while its
// moves run), then the file is renamed into the folder (copied, flushed and
// unlinked when the store is another file system), then the record is
// appended to the index and, once that is flushed, the journal removed.
// The next quarantine, list, restore or purge finishes what a crash
// interrupted: a journaled record whose item is there gets its record in
// the index, one whose item is not is dropped, as the file is still in the
// store. So a crash at any point leaves the file in the store or an
// item with its record, never neither. (Only a crash in the cross-file-
// system copy between the copy's rename and the original's unlink, or one
// before the store's folder is flushed, can leave both.) A record whose
// item file has gone is listed as "missing".
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_digest.h"
#include "platform/quarantine_index.h"
#include "platform/quarantine_limits.h"
#include "platform/result.h"
#include "platform/store.h"

namespace kv {

// What the record says about why the file was removed.
struct QuarantineNote {
  std::u16string_view signature;  // "Trojan.X", a process signature, "companion of NAME"
  std::u16string_view scanMode;   // "autocheck", "hideandscan", "interactive", ...
  // The file's digest as the check that found it read it, or null. Taken
  // instead of reading the file again while the file found for the move is
  // still the version read.
  const ReadDigest* read = nullptr;
};

enum class QuarantineStatus {
  kQuarantined,  // moved into the quarantine with its record: gone from the store
  kDeleted,      // the quarantine was full: deleted as before, recorded "deleted"
  kNotFound,     // no such file (DeleteStoreFile's kFileNotFound)
  kFailed,       // neither moved nor deleted: the file stays in the store
};

struct QuarantineResult {
  QuarantineStatus status = QuarantineStatus::kFailed;
  std::string id;  // the item's id for kQuarantined and kDeleted
  int cause = 0;   // for kFailed: the host's errno (result.h), 0 when no host call failed
  // true when the file is gone from the store, as DeleteStoreFile's kOk.
  bool Removed() const {
    return status == QuarantineStatus::kQuarantined || status == QuarantineStatus::kDeleted;
  }
};

// Moves the store file `devicePath` into the quarantine with its record.
// Refuses what DeleteStoreFile refuses (a folder, a link, a file without
// the owner's write permission): kFailed. When the quarantine's item files
// and this one would pass `capBytes` together, deletes it instead
// (kDeleted, recorded). `capBytes` is a parameter for tests only.
[[nodiscard]] QuarantineResult QuarantineStoreFile(
    const Store& store, std::u16string_view devicePath, const QuarantineNote& note,
    std::uint64_t capBytes = limits::kMaxQuarantineBytes);

// The same for a host file outside the store (the command-line scanner's
// --quarantine): the record's path is the file's absolute host path, where
// a restore without a target puts it back. A link is never followed.
[[nodiscard]] QuarantineResult QuarantineHostFile(
    const Store& store, const std::filesystem::path& path, const QuarantineNote& note,
    std::uint64_t capBytes = limits::kMaxQuarantineBytes);

// How an item stands, as the list shows it.
enum class QuarantineItemState {
  kQuarantined,  // its file is in the quarantine
  kMissing,      // its record says quarantined, but its file has gone
  kDeleted,      // deleted because the quarantine was full
  kRestored,
  kPurged,
  kUnrecorded,  // a file in the folder with no record at all
};

std::string_view ItemStateName(QuarantineItemState state);

struct QuarantineItem {
  QuarantineRecord record;  // its first record: what the file was
  QuarantineItemState state = QuarantineItemState::kQuarantined;
  QuarantineRecord latest;  // its latest record (the restore or purge)
};

struct QuarantineListing {
  std::vector<QuarantineItem> items;  // in the order of their first records
  std::size_t unreadableLines = 0;    // index lines that are no record
};

// Every item the index records, and every file without a record, after
// finishing interrupted moves. Fails when the quarantine folder or its
// index cannot be read (a prefix without a quarantine lists nothing).
[[nodiscard]] Result<QuarantineListing> ListQuarantine(const Store& store);

enum class QuarantineChange {
  kDone,
  kNoSuchItem,     // no item with that id is in the quarantine
  kTargetExists,   // restore: something stands at the target; nothing moved
  kTargetMissing,  // restore: the target's folder does not exist
  kNotRecorded,    // done, but the index could not record it
  kFailed,         // the quarantine or the target could not be changed
};

struct QuarantineChangeResult {
  QuarantineChange change = QuarantineChange::kDone;
  int cause = 0;  // for kFailed and kNotRecorded: the host's errno, when a host call failed
};

// Moves item `id` back to its device path in the store, or to `hostPath`,
// never over an existing entry, with its permissions as they were, and
// records "restored".
[[nodiscard]] QuarantineChangeResult RestoreQuarantineItem(
    const Store& store, std::string_view id,
    const std::optional<std::filesystem::path>& hostPath = std::nullopt);

// Deletes item `id` from the quarantine (a missing file too) and records
// "purged".
[[nodiscard]] QuarantineChangeResult PurgeQuarantineItem(const Store& store, std::string_view id);

struct QuarantinePurge {
  QuarantineChangeResult result;  // kFailed (with the last cause) when any could not be purged
  std::size_t purged = 0;
};

// Purges every item quarantined more than `days` days before `now`.
[[nodiscard]] QuarantinePurge PurgeQuarantineOlderThan(const Store& store, std::uint64_t days,
                                                       std::chrono::system_clock::time_point now);

}  // namespace kv
