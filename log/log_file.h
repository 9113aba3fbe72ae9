// The activity log \Runeskop.log of the store: appending a record, the log
// side of a result-list line, and clearing the log.
//
// Entry points: AppendLogRecord, AddListLineToLog, ClearLog, kLogPath.
//
// On disk, UTF-16 little-endian throughout, with no header beyond the mark,
// no record count and no size limit:
//
//   bytes 0-1     FF FE         byte-order mark U+FEFF
//   each record   0D 00 0A 00   CR LF, in front of the record
//                 text          its UTF-16 units, low byte first, no NUL
//
// So records A and B are FF FE 0D 00 0A 00 <A> 0D 00 0A 00 <B>: the
// separator stands in front of every record and never behind the last, and
// an empty record is a separator alone. The text is written as given; the
// program's lines hold no CR LF (one that did would read back as two lines,
// see log_reader.h).
//
// Every append opens the log, takes an exclusive advisory lock on it
// (sharing it for reading only), writes, and closes it: no handle stays open
// between records and nothing is buffered. A process whose append finds the
// log locked by another's waits up to limits::kLogLockWait and then
// appends, so records of several processes never interleave and none is
// lost; only a holder stuck past the wait costs the record. The mark, the
// separator and the text go out as one write at the end of the file, where
// the host puts it however far another writer grew the file.
//
// The mark is written whenever the locked file is empty, whether this append
// created it or found it so: the mark makes the first two bytes of every
// log, and a file without it is no log to the readers, so records put behind
// no mark would never be shown. A non-empty file is never rewritten:
// records go behind whatever it holds, mark or not.
//
// A write that fails half-way (a full disk) is cut off again while the lock
// still keeps other writers out, so a failed append leaves the log as it
// was: a cut record could end in half a separator or an odd byte and put
// every later record out of step.
//
// Failures of the log are never shown to the user, and the program's
// callers ignore the results, as the handset did; the results say what
// happened for tests and for callers that care.
#pragma once

#include <string_view>

#include "platform/store.h"

namespace kv {

// The log's device path: the store's root folder, fixed, no setting.
inline constexpr std::u16string_view kLogPath = u"\\Runeskop.log";

enum class LogAppendResult {
  kAppended,     // the record is in the log (the handset's 0)
  kWriteFailed,  // opened, but a write failed; the log is as it was (0)
  kBusy,         // another writer kept the log past the wait; record lost (-1)
  kNotOpened,    // no regular file could be opened or created there, or its
                 // end could not be found; record lost (-1)
  kNotLogged,    // AddListLineToLog without the log flag: nothing written
};

// Appends one record, `text`, to the log file at `path` (a device path;
// always kLogPath in the program), creating the file with its mark when it
// is missing.
[[nodiscard]] LogAppendResult AppendLogRecord(const Store& store, std::u16string_view path,
                                              std::u16string_view text);

// Whether a line put into a result list goes to the log as well.
enum class LogFlag { kListOnly, kAlsoLog };

// The log side of AddListLine, called for every line the scan dialog puts
// into its list: with kAlsoLog the line becomes a record of the log; with
// kListOnly nothing is written (kNotLogged).
[[nodiscard]] LogAppendResult AddListLineToLog(const Store& store, std::u16string_view line,
                                               LogFlag flag);

enum class LogClearResult {
  kCleared,  // the log file is deleted
  kAbsent,   // there was no log: no error
  kRefused,  // it could not be deleted (read-only, no regular file, the
             // host refused); the log keeps its contents
};

// Deletes the log, as "Clear Log" does once the user has said Yes. It does
// not wait for the lock: an append still under way ends in the deleted
// file, as if it had come just before the clear, and the next append
// creates a new log with a fresh mark.
[[nodiscard]] LogClearResult ClearLog(const Store& store);

}  // namespace kv
