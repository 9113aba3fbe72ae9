// The log view's reader of the activity log (format in log_file.h): every
// line of the log in one pass, oldest first.
//
// Entry points: ReadLogLines, LogReadStatus.
// A line is what stands between two CR LF (or between the mark or a CR LF
// and the end of the file). Lines with no text are passed over, so a log
// written by AppendLogRecord, whose first line is the empty one before the
// first separator, gives exactly one line per non-empty record. A CR not
// followed by LF is dropped together with the unit after it, wherever it
// stands; a lone LF is text; an odd byte at the end is ignored
// (log_tokens.h). A file that does not begin with the mark FF FE is no log
// and gives no lines at all.
//
// One pass, linear in the log's size: the handset reopened the file and
// passed over every earlier line for each line it showed, which grows with
// the square of the log. The file is shared for reading while it is read
// (waiting up to limits::kLogLockWait for an append under way, so it never
// sees half a record) and closed again.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/store.h"

namespace kv {

enum class LogReadStatus {
  kRead,       // `lines` holds every line of the log
  kNotALog,    // the file cannot be opened or does not begin with the
               // mark; `lines` is empty
  kBrokenOff,  // a read failed part-way: `lines` holds the whole lines
               // read before it
};

// Reads the lines of the log at `path` (a device path) into `lines`, each
// cut to at most `capacity` units. The log view reads with
// limits::kLogViewLineUnits.
[[nodiscard]] LogReadStatus ReadLogLines(const Store& store, std::u16string_view path,
                                         std::size_t capacity, std::vector<std::u16string>& lines);

}  // namespace kv
