// The two readers of the activity log (format in log_file.h): counting its
// lines and reading one line by its index, as the log view does.
//
// Entry points: CountLogLines, ReadLogLine.
// A line is what stands between two CR LF (or between the mark or a CR LF
// and the end of the file). Lines with no text are passed over: they are
// neither counted nor given an index, so a log written by AppendLogRecord,
// whose first line is the empty one before the first separator, has exactly
// one line per non-empty record. A CR not followed by LF is dropped together
// with the unit after it, wherever it stands; a lone LF is text; an odd byte
// at the end is ignored (log_tokens.h). A file that does not begin with the
// mark FF FE is no log and gives no lines at all.
//
// Each call opens the file, shares it for reading while it reads (waiting
// up to limits::kLogLockWait for an append under way, so it never sees half
// a record) and closes it again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/store.h"

namespace kv {

// The number of lines of the log at `path` (a device path); nothing (the
// handset's -1) when the file cannot be opened or read or does not begin
// with the mark.
[[nodiscard]] std::optional<std::uint64_t> CountLogLines(const platform::Store& store,
                                                         std::u16string_view path);

enum class LogLineStatus {
  kRead,          // `line` holds the line, cut to `capacity` units (the
                  // handset's 0)
  kPastLastLine,  // there is no such line; `line` is untouched (0)
  kEndsAtLine,    // no such line, and the file ends exactly where it would
                  // begin: right behind the mark or a CR LF; `line` is
                  // untouched (-1)
  kNotALog,       // the file cannot be opened or read, or does not begin
                  // with the mark; `line` is untouched (-1)
};

// Reads line `index` (from 0, lines as counted by CountLogLines) of the log
// at `path` into `line`, at most `capacity` units of it: a longer line is
// cut there. The log view reads with limits::kLogViewLineUnits.
[[nodiscard]] LogLineStatus ReadLogLine(const platform::Store& store, std::u16string_view path,
                                        std::uint64_t index, std::u16string& line,
                                        std::size_t capacity);

}  // namespace kv
