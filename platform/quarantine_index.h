// The quarantine's index, <prefix>/quarantine/index.ndjson: its records,
// their one-line form, appending one and reading them all. Internal to the
// platform layer (the public face is quarantine.h).
//
// Entry points: QuarantineRecord, RecordLine, ParseRecordLine,
// AppendIndexLines, SyncIndex, ReadIndex.
//
// Format: UTF-8, one JSON object a line (json_line.h), each line ending in
// LF, appended only, never rewritten. Fields, in this order:
//
//   id         the item's id, "YYYYMMDDTHHMMSSZ-xxxxxxxx" (UTC time and 8
//              random hex digits); the item's file in the folder bears it
//   time       when the record was made, UTC, ISO 8601: "2026-12-07T04:16:15Z"
//   outcome    "quarantined": the file was moved in, as <id>
//              "deleted":     the quarantine was full, the file was deleted
//              "restored":    <id> was moved back out (to "to")
//              "purged":      <id> was deleted from the quarantine
//   path       the file's device path in the store when it was found
//   size       its size in bytes                        (quarantined, deleted)
//   sha256     its SHA-256, 64 lower-case hex digits    (quarantined, deleted)
//   signature  the signature's name, a process signature's name, or
//              "companion of NAME"                      (quarantined, deleted)
//   scan_mode  the scan that found it, such as "autocheck" (quarantined, deleted)
//   permissions  its host permission bits, octal: "0755"  (quarantined, deleted)
//   to         where it went: a device path, or a host path (restored)
//
// An item's first record is "quarantined" or "deleted"; a later "restored"
// or "purged" record with the same id ends it. Writers take an exclusive
// flock on the index for their one write; a line cut short by a crash is
// closed with a line break before the next record, and readers pass over
// any line they cannot parse, counting it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace kv {

enum class QuarantineOutcome { kQuarantined, kDeleted, kRestored, kPurged };

std::string_view OutcomeName(QuarantineOutcome outcome);

struct QuarantineRecord {
  std::string id;
  std::string time;
  QuarantineOutcome outcome = QuarantineOutcome::kQuarantined;
  std::u16string path;
  std::uint64_t size = 0;
  std::string sha256;
  std::u16string signature;
  std::u16string scanMode;
  unsigned permissions = 0;
  std::u16string to;
};

// The index's file name inside the quarantine folder.
inline constexpr char kIndexName[] = "index.ndjson";

// The record as one index line, with its LF.
std::string RecordLine(const QuarantineRecord& record);

// Parses one index line; nothing when it is no record of the format above.
std::optional<QuarantineRecord> ParseRecordLine(std::string_view line);

enum class IndexSync {
  kNow,    // the line is flushed to the disk before the append returns
  kLater,  // the caller flushes it with SyncIndex, and keeps the move's
           // journal until then
};

// Appends `lines` (one or more RecordLine) to the index in the open
// quarantine folder `folder`, creating it, under an exclusive lock held for
// the one write, and flushes them to the disk as `sync` says. A write cut
// short is taken back whole. Fails when the lines are not all in the index.
[[nodiscard]] Result<void> AppendIndexLines(int folder, std::string_view lines,
                                            IndexSync sync = IndexSync::kNow);

// Flushes the index's appended lines to the disk; false when it cannot.
[[nodiscard]] bool SyncIndex(int folder);

struct IndexRecords {
  std::vector<QuarantineRecord> records;  // in file order
  std::size_t unreadable = 0;             // lines that are not records
};

// Every record of the index. A missing index holds no records. Fails when
// it cannot be read, or is larger than limits::kMaxQuarantineIndexBytes
// (the cause EFBIG).
[[nodiscard]] Result<IndexRecords> ReadIndex(int folder);

}  // namespace kv
