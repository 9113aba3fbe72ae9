// The quarantine folder's building blocks, shared by the move, the list,
// the restore and the purge. Internal to the platform layer.
//
// Entry points: OpenQuarantineFolder, FinishInterruptedMoves, MoveJournal,
// ItemBytes, CopyFileInto.
//
// Beside the index and the item files (named by id) the folder holds, only
// while moves run or after a crash: "<id>.pending-new" (a move journal
// being made), "<id>.pending" (the records the moves will append to the
// index, locked by the mover; a single record in earlier versions) and
// "<id>.partial" (a cross-file-system copy being written).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/quarantine_index.h"
#include "platform/result.h"
#include "platform/store.h"
#include "platform/unique_fd.h"
#include "platform/utc_time.h"

namespace kv {

// Opens <prefix>/quarantine (never through a link), creating it with
// permissions 0700 when `create` and missing. With `create` false, a
// missing folder is kFileNotFound.
[[nodiscard]] Result<UniqueFd> OpenQuarantineFolder(const Store& store, bool create);

// Completes or rolls back every move a crash interrupted (quarantine.h),
// passing over the journals a live mover still holds.
void FinishInterruptedMoves(const Store& store, int folder);

// The records of a batch's moves under way: "<id>.pending", created as
// "<id>.pending-new", filled with zeros and flushed, renamed, and held
// under an exclusive lock until it is dropped, so that
// FinishInterruptedMoves never takes a live batch for a crashed one. Each
// move writes its record's line over the zeros and flushes it before the
// file moves: the space is written already, so that flush writes only the
// line. The mover flushes the folder before a file can leave the store, so
// that one flush makes the journal's name and the moved item durable. A
// line begun with '#' is a move that did not happen.
class MoveJournal {
 public:
  explicit MoveJournal(int folder);
  // Leaves the file, when it is not dropped, for the next start to judge.
  ~MoveJournal() = default;
  MoveJournal(const MoveJournal&) = delete;
  MoveJournal& operator=(const MoveJournal&) = delete;

  bool IsOpen() const { return fd_.IsValid(); }
  // Whether an Append or a Sync failed: a line may be cut short or not on
  // the disk, so the journal takes no more lines.
  bool IsCut() const { return cut_; }
  // Why it is not open, or why the Append failed: the host's cause.
  int Cause() const { return cause_; }
  // Writes `record`'s line after the lines before it, unflushed; the
  // line's offset, or nothing.
  std::optional<off_t> Append(const QuarantineRecord& record);
  // Flushes the lines written since the last Sync; false, and cut, when
  // the host fails it.
  bool Sync();
  // Marks the line at `offset` as a move that did not happen (unflushed:
  // a crash leaves the line to be judged, which finds the file in place).
  void Cancel(off_t offset);
  // Removes the journal: every move in it is finished or rolled back.
  void Drop();

 private:
  int folder_;
  std::string name_;
  UniqueFd fd_;
  off_t end_ = 0;     // where the next line goes
  off_t synced_ = 0;  // the lines before it are flushed
  bool cut_ = false;
  int cause_ = 0;
};

// The bytes the item files in the folder take together.
std::uint64_t ItemBytes(int folder);

// renameat2 without replacing; a fault may refuse it or call it a move
// across file systems (EXDEV).
int RenameNoReplace(int fromFolder, const std::string& from, int toFolder, const std::string& to);

// Copies the whole file `from` (read with pread from 0) to a new file `name`
// in `folder` (O_EXCL, never through a link) with `mode`, and flushes it.
// On failure the new file is removed. `fault` is armed for the write.
[[nodiscard]] Result<void> CopyFileInto(int from, int folder, const std::string& name, mode_t mode);

}  // namespace kv
