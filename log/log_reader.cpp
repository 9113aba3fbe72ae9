// ReadLogLines (log_reader.h): one pass over LogTokenReader's tokens. A
// line is begun by its first text unit, so lines without text never
// appear; a line broken off by a failed read is dropped, not shown cut.
#include "log/log_reader.h"

#include "log/log_tokens.h"

namespace kv {

LogReadStatus ReadLogLines(const Store& store, std::u16string_view path, std::size_t capacity,
                           std::vector<std::u16string>& lines) {
  lines.clear();
  LogTokenReader reader;
  if (!reader.Open(store, path)) return LogReadStatus::kNotALog;
  bool lineHasText = false;
  char16_t unit = 0;
  for (LogToken token; (token = reader.Next(unit)) != LogToken::kEnd;) {
    if (token == LogToken::kLineBreak) {
      lineHasText = false;
      continue;
    }
    if (!lineHasText) lines.emplace_back();
    lineHasText = true;
    if (lines.back().size() < capacity) lines.back() += unit;
  }
  if (!reader.Failed()) return LogReadStatus::kRead;
  if (lineHasText) lines.pop_back();
  return LogReadStatus::kBrokenOff;
}

}  // namespace kv
