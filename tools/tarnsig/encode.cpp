// tarnsig encode PLAIN -o VirusDB.dat: writes a signature database from a
// plain text file.
//
// PLAIN: lines ending in LF or CR LF (a last line without one counts too).
// Line 1, the version, is copied as it is; every later line is stored in its
// encoded form (line_encoder.h). Every output line ends in CR LF.
// The whole file is checked before anything is written, so a refused input
// leaves no partial database: a line holding a NUL byte (decoding would cut
// it there), a CR that does not end the line (it would split the line), or
// a plain line whose encoded form would exceed 159 characters.
#include <string>
#include <string_view>
#include <vector>

#include "platform/limits.h"
#include "scan/virus_database.h"
#include "tools/tarnsig/cli.h"
#include "tools/tarnsig/line_encoder.h"
#include "tools/tarnsig/verbs.h"

namespace kv::tarnsig {
namespace {

constexpr std::string_view kVerb = "encode";

// The lines of a plain file: split at LF, one CR before each LF dropped, no
// empty line after a final LF.
std::vector<std::string_view> SplitPlainLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    if (lf != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
  }
  return lines;
}

// Why line `line` cannot be stored, or empty when it can.
std::string LineProblem(std::string_view line, bool isVersion) {
  if (line.find('\0') != std::string_view::npos) return "line holds a NUL byte";
  if (line.find('\r') != std::string_view::npos) return "line holds a CR that does not end it";
  if (!isVersion && EncodedLength(line.size()) > limits::kMaxEncodedLine) {
    return "encoded line would be " + std::to_string(EncodedLength(line.size())) +
           " characters, more than " + std::to_string(limits::kMaxEncodedLine);
  }
  return {};
}

}  // namespace

int RunEncode(const Args& args) {
  std::string plainPath;
  std::string outPath;
  bool haveOut = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o") {
      if (i + 1 == args.size()) return UsageError(kVerb, "-o needs a file name");
      if (haveOut) return UsageError(kVerb, "-o given twice");
      outPath = args[++i];
      haveOut = true;
    } else if (args[i].size() > 1 && args[i].starts_with('-')) {
      return UsageError(kVerb, "unknown option '" + args[i] + "'");
    } else if (plainPath.empty() && !args[i].empty()) {
      plainPath = args[i];
    } else {
      return UsageError(kVerb, "unexpected argument '" + args[i] + "'");
    }
  }
  if (plainPath.empty()) return UsageError(kVerb, "missing PLAIN");
  if (!haveOut || outPath.empty()) return UsageError(kVerb, "missing -o VirusDB.dat");

  std::string plain;
  if (const int status = ReadWholeFile(kVerb, plainPath, plain); status != kExitOk) return status;
  const std::vector<std::string_view> lines = SplitPlainLines(plain);
  if (lines.empty()) return Fail(std::string(kVerb) + ": " + plainPath + ": no version line");

  std::string database;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const bool isVersion = i == 0;
    if (const std::string problem = LineProblem(lines[i], isVersion); !problem.empty()) {
      return Fail(std::string(kVerb) + ": " + plainPath + ":" + std::to_string(i + 1) + ": " +
                  problem);
    }
    database += isVersion ? std::string(lines[i]) : EncodeDatabaseLine(kDatabaseKey, lines[i]);
    database += "\r\n";
  }
  return WriteWholeFile(kVerb, outPath, database);
}

}  // namespace kv::tarnsig
