// tarnsig decode VirusDB.dat: prints the version line and then every later
// line decoded, one per output line ending in LF: the exact inverse of
// encode. Lines are found as the loader finds them (scan/database_lines.h),
// so text after the last CR LF is not shown. A plain line is shown up to its
// first zero byte, as the program reads it. A line that cannot be decoded is
// shown as "<<undecodable line N>>", N counting the version line as 1; the
// mark holds no "[" so that re-encoding it cannot create a section or a
// delete-list header.
#include <iostream>
#include <string>

#include "database/database_lines.h"
#include "database/line_decoder.h"
#include "database/virus_database.h"
#include "tools/tarnsig/cli.h"
#include "tools/tarnsig/verbs.h"

namespace kv::tarnsig {
namespace {

constexpr std::string_view kVerb = "decode";

}  // namespace

int RunDecode(const Args& args) {
  std::string path;
  if (const int status = SingleArgument(kVerb, args, path); status != kExitOk) return status;
  std::string content;
  if (const int status = ReadDatabaseFile(kVerb, path, content); status != kExitOk) return status;

  DatabaseLineCursor cursor(content);
  std::string text;
  while (const std::optional<std::string_view> line = cursor.Next()) {
    if (cursor.LineNumber() == 1) {
      text += *line;
    } else if (std::string plain; DecodeDatabaseLine(kDatabaseKey, *line, plain)) {
      text += plain.substr(0, plain.find('\0'));
    } else {
      text += "<<undecodable line " + std::to_string(cursor.LineNumber()) + ">>";
    }
    text += '\n';
  }
  std::cout << text << std::flush;
  return kExitOk;
}

}  // namespace kv::tarnsig
