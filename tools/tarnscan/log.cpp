// tarnscan log [--newest-first]: the activity log as UTF-8 text, one
// record a line, in file order or the other way round. Lines are read by
// the log view's own reader, so they are exactly the lines the log view
// shows (empty ones passed over), but whole, never cut. A missing log has
// no records; a file that is not a log, or cannot be read, exits 2.
#include <algorithm>
#include <iostream>
#include <limits>
#include <string>
#include <vector>

#include "log/log_file.h"
#include "log/log_reader.h"
#include "platform/files.h"
#include "tools/tarnscan/verbs.h"

namespace kv::tarnscan {

int RunLog(const Verb& verb, const Args& args) {
  bool newestFirst = false;
  for (const std::string& arg : args) {
    if (arg == "--newest-first" && !newestFirst) {
      newestFirst = true;
    } else {
      return UsageError(verb, "unexpected argument '" + arg + "'");
    }
  }
  Store store;
  if (!OpenPrefix(store)) return kExitError;
  const std::string where = (store.StorePath() / "Runeskop.log").string();
  if (File::OpenForRead(store, kLogPath, Sharing::kRead).status == FileStatus::kFileNotFound) {
    return kExitOk;
  }
  std::vector<std::u16string> lines;
  switch (ReadLogLines(store, kLogPath, std::numeric_limits<std::size_t>::max(), lines)) {
    case LogReadStatus::kRead:
      break;
    case LogReadStatus::kNotALog:
      return Fail("log: cannot read '" + where + "' as an activity log");
    case LogReadStatus::kBrokenOff:
      return Fail("log: cannot read '" + where + "' to its end");
  }
  if (newestFirst) std::reverse(lines.begin(), lines.end());
  std::string out;
  for (const std::u16string& line : lines) out += TerminalText(line) + "\n";
  std::cout << out << std::flush;
  return std::cout ? kExitOk : kExitError;
}

}  // namespace kv::tarnscan
