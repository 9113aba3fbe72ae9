// tarnsig encode [--force] PLAIN -o VirusDB.dat: writes a signature
// database from a plain text file (plain_lines.h).
//
// Line 1, the version, is copied as it is; every later line is stored in its
// encoded form (line_encoder.h). Every output line ends in CR LF.
// The whole file is checked before anything is written, so a refused input
// leaves no partial database: first that every line can be stored (no NUL
// byte, no CR inside a line, an encoded form of at most 159 characters),
// then the checks of tarnsig lint: what lint calls an error is refused,
// each error on a line of its own, unless --force is given. Lint's warnings
// are not shown here.
#include <string>
#include <string_view>
#include <vector>

#include "database/virus_database.h"
#include "tools/tarnsig/cli.h"
#include "tools/tarnsig/database_lint.h"
#include "tools/tarnsig/line_encoder.h"
#include "tools/tarnsig/plain_lines.h"
#include "tools/tarnsig/verbs.h"

namespace kv::tarnsig {
namespace {

constexpr std::string_view kVerb = "encode";

// Reports every lint error of the plain lines; true when there was one.
bool RefusedByLint(const std::string& plainPath, const std::vector<std::string_view>& lines) {
  std::vector<NumberedLine> numbered;
  for (std::size_t i = 1; i < lines.size(); ++i) numbered.push_back({i + 1, std::string(lines[i])});
  std::size_t errors = 0;
  for (const LintFinding& finding : LintDatabaseLines(lines[0], numbered)) {
    if (finding.severity != LintSeverity::kError) continue;
    (void)Fail(std::string(kVerb) + ": " + FormatFinding(plainPath, finding));
    ++errors;
  }
  if (errors == 0) return false;
  (void)Fail(std::string(kVerb) + ": " + plainPath + ": not encoded: " + std::to_string(errors) +
             (errors == 1 ? " error" : " errors") + " (--force encodes it anyway)");
  return true;
}

}  // namespace

int RunEncode(const Args& args) {
  std::string plainPath;
  std::string outPath;
  bool haveOut = false;
  bool force = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--force" && !force) {
      force = true;
    } else if (args[i] == "-o") {
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

  for (std::size_t i = 0; i < lines.size(); ++i) {
    const bool isVersion = i == 0;
    if (const std::string problem = StorageProblem(lines[i], isVersion); !problem.empty()) {
      return Fail(std::string(kVerb) + ": " + plainPath + ":" + std::to_string(i + 1) + ": " +
                  problem);
    }
  }
  if (!force && RefusedByLint(plainPath, lines)) return kExitError;

  std::string database;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const bool isVersion = i == 0;
    database += isVersion ? std::string(lines[i]) : EncodeDatabaseLine(kDatabaseKey, lines[i]);
    database += "\r\n";
  }
  return WriteWholeFile(kVerb, outPath, database);
}

}  // namespace kv::tarnsig
