// Fault injection: makes the next host call at a named point fail, so that
// tests can reach the failure paths the host never takes for them (tests run
// as root, so no permission stops a deletion or a signal, and a short read
// or a failed close cannot be provoked on a real file).
//
// Entry points: FailNext, ClearFaults, ScopedFault for tests;
// ConsumeFault for platform/ only, at each point.
// The counters are atomics: any thread may arm a point, and a platform call
// that is not armed pays one relaxed load.
#pragma once

namespace kv {

enum class FaultPoint {
  kRead,    // File::ReadAll sees the file end early, as if it had shrunk;
            // File::Read reports a read error
  kClose,   // File::Close reports failure (the file is closed all the same)
  kDelete,  // DeleteStoreFile's unlink fails: kFailed, nothing deleted
  kSignal,  // the host refuses a signal (EPERM): ProcessHandle::Open or
            // Terminate fails, the process is left alone
  kWrite,   // a write fails, as on a full disk: File::Append writes the
            // first half of its bytes and fails; ReplaceStoreFile's write
            // fails; a move journal gets no zeros written ahead, or half a
            // record's line
  kCreate,  // ReplaceStoreFile cannot create its new file, as in a folder
            // it may not write: nothing is created
  kRename,  // ReplaceStoreFile's rename into place fails
  // TakeProcessSnapshot cannot read the host's process list.
  kProcessList,
  // FileFinder::FindNext runs out of memory: it throws std::bad_alloc.
  kListingMemory,
  // The quarantine (quarantine.h): the rename of a file into or out of
  // the quarantine fails; the rename reports another file system, so the
  // file is copied; a write of that copy fails; the index append fails;
  // the flushes that end a batch of moves fail; the flush of a move
  // journal's lines fails.
  kQuarantineMove,
  kQuarantineCrossDevice,
  kQuarantineCopy,
  kQuarantineRecord,
  kQuarantineSync,
  kQuarantineJournalSync,
  kCount,  // the number of points above, not a point: keep it last
};

// The next `times` calls at `point` fail (added to any already armed).
void FailNext(FaultPoint point, int times = 1);

// Disarms every point.
void ClearFaults();

// Arms `point` for its lifetime and disarms it at the end, used or not.
class ScopedFault {
 public:
  explicit ScopedFault(FaultPoint point, int times = 1);
  ~ScopedFault();
  ScopedFault(const ScopedFault&) = delete;
  ScopedFault& operator=(const ScopedFault&) = delete;

 private:
  FaultPoint point_;
};

// For platform/ only: true when a failure is armed at `point`, using it up;
// errno is then set to the cause the host would give for such a failure
// (EIO for a read or close, ENOSPC for a write, EPERM for a refused delete
// or signal...), so the failure carries a cause like a real one.
[[nodiscard]] bool ConsumeFault(FaultPoint point);

}  // namespace kv
