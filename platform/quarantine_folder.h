// The quarantine folder's building blocks, shared by the move, the list,
// the restore and the purge. Internal to the platform layer.
//
// Entry points: OpenQuarantineFolder, FinishInterruptedMoves, PendingRecord,
// ItemBytes, CopyFileInto.
//
// Beside the index and the item files (named by id) the folder holds, only
// while a move runs or after a crash: "<id>.pending-new" (a pending record
// being written), "<id>.pending" (the record the move will append, locked by
// the mover) and "<id>.partial" (a cross-file-system copy being written).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
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
// passing over the pending records a live mover still holds.
void FinishInterruptedMoves(const Store& store, int folder);

// The record of a move under way: written to "<id>.pending-new", flushed,
// renamed to "<id>.pending" and held under an exclusive lock until it is
// dropped, so that FinishInterruptedMoves never takes a live move for a
// crashed one. The mover flushes the folder before the file can leave the
// store, so that one flush makes the name and the moved item durable.
class PendingRecord {
 public:
  PendingRecord(int folder, const QuarantineRecord& record);
  PendingRecord(const PendingRecord&) = delete;
  PendingRecord& operator=(const PendingRecord&) = delete;

  bool IsWritten() const { return written_; }
  // Why it is not written: the host's cause.
  int Cause() const { return cause_; }
  // Removes the pending file: the move is finished or rolled back.
  void Drop();

 private:
  int folder_;
  std::string name_;
  UniqueFd fd_;
  bool written_ = false;
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
