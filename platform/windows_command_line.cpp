// The Windows command-line splitter, one pass over the line (rules in the
// header). Backslashes are counted before they are copied, because their
// meaning depends on what follows the whole run.
#include "platform/windows_command_line.h"

#include <algorithm>
#include <utility>

namespace kv {
namespace {

bool IsBlank(char16_t unit) { return unit == u' ' || unit == u'\t'; }

}  // namespace

std::vector<std::u16string> SplitWindowsCommandLine(std::u16string_view line) {
  std::vector<std::u16string> arguments;
  std::u16string current;
  bool inArgument = false;
  bool quoted = false;
  std::size_t i = 0;
  while (i < line.size()) {
    const char16_t unit = line[i];
    if (!quoted && IsBlank(unit)) {
      if (inArgument) arguments.push_back(std::exchange(current, {}));
      inArgument = false;
      ++i;
      continue;
    }
    inArgument = true;
    if (unit == u'\\') {
      const std::size_t end = std::min(line.find_first_not_of(u'\\', i), line.size());
      const std::size_t run = end - i;
      const bool beforeQuote = end < line.size() && line[end] == u'"';
      current.append(beforeQuote ? run / 2 : run, u'\\');
      i = end;
      if (beforeQuote && run % 2 == 1) {  // an escaped quote
        current += u'"';
        ++i;
      }
    } else if (unit == u'"') {
      // Each quote of the run steps the state (0 outside, 1 inside, 2 just
      // closed); a third step yields a literal quote and starts outside.
      int state = quoted ? 1 : 0;
      for (; i < line.size() && line[i] == u'"'; ++i) {
        if (++state == 3) {
          current += u'"';
          state = 0;
        }
      }
      quoted = state == 1;
    } else {
      current += unit;
      ++i;
    }
  }
  if (inArgument) arguments.push_back(std::move(current));
  return arguments;
}

}  // namespace kv
