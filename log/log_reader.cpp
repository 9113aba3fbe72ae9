// The log's readers (log_reader.h), both one pass over LogTokenReader's
// tokens. A line counts once it has text; ReadLogLine passes over `index`
// such lines, each ended by its line break, and takes the next line with
// text. Where it stands after that pass is the handset's "where the line
// would begin": the file ending exactly there is its -1.
#include "log/log_reader.h"

#include <utility>

#include "log/log_tokens.h"

namespace kv {
namespace {

// Feeds a text unit or a line break to the line under way; true when it
// ends a line that had text, which is then a line that counts.
bool EndsLineWithText(LogToken token, bool& lineHasText) {
  if (token == LogToken::kText) {
    lineHasText = true;
    return false;
  }
  return std::exchange(lineHasText, false);
}

}  // namespace

std::optional<std::uint64_t> CountLogLines(const platform::Store& store, std::u16string_view path) {
  LogTokenReader reader;
  if (!reader.Open(store, path)) return std::nullopt;
  std::uint64_t count = 0;
  bool lineHasText = false;
  char16_t unit = 0;
  for (LogToken token; (token = reader.Next(unit)) != LogToken::kEnd;) {
    count += EndsLineWithText(token, lineHasText) ? 1 : 0;
  }
  if (reader.Failed()) return std::nullopt;
  return count + (lineHasText ? 1 : 0);  // the last line needs no CR LF
}

LogLineStatus ReadLogLine(const platform::Store& store, std::u16string_view path,
                          std::uint64_t index, std::u16string& line, std::size_t capacity) {
  LogTokenReader reader;
  if (!reader.Open(store, path)) return LogLineStatus::kNotALog;
  char16_t unit = 0;
  LogToken token = LogToken::kEnd;
  bool lineHasText = false;
  for (std::uint64_t passed = 0; passed < index;) {
    token = reader.Next(unit);
    if (token == LogToken::kEnd) {
      return reader.Failed() ? LogLineStatus::kNotALog : LogLineStatus::kPastLastLine;
    }
    passed += EndsLineWithText(token, lineHasText) ? 1 : 0;
  }
  if (reader.AtEnd()) {
    return reader.Failed() ? LogLineStatus::kNotALog : LogLineStatus::kEndsAtLine;
  }
  do {
    token = reader.Next(unit);
  } while (token == LogToken::kLineBreak);
  std::u16string text;
  while (token == LogToken::kText && text.size() < capacity) {
    text += unit;
    token = reader.Next(unit);
  }
  if (reader.Failed()) return LogLineStatus::kNotALog;
  if (text.empty() && token == LogToken::kEnd) return LogLineStatus::kPastLastLine;
  line = std::move(text);
  return LogLineStatus::kRead;
}

}  // namespace kv
