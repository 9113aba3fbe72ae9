// tarnsig check [--reference] VirusDB.dat FILE...: which content signature
// each file matches, read and searched exactly as the scanner reads and
// searches a store file (FileMatcher): the fast way, or with --reference
// the reference way (each pattern compiled per file, every position tried).
//
// Output, one line per file, in argument order:
//   <file>: signature <position> <name>
//   <file>: clean
// Positions count from 1; an empty file is clean, as the scanner never
// matches one. A file that cannot be read or searched (an engine failure)
// is reported on stderr and the others are still checked. Exit status, as
// tarnscan's: 1 when any file matched; otherwise 2 when any file could not
// be checked (or on a usage error); otherwise 0. A finding outranks a
// failure, so a script never takes "found" for "could not check".
#include <iostream>
#include <string>

#include "database/signature_database.h"
#include "database/virus_database.h"
#include "platform/store.h"
#include "scan/file_matcher.h"
#include "tools/tarnsig/cli.h"
#include "tools/tarnsig/verbs.h"

namespace kv::tarnsig {
namespace {

constexpr std::string_view kVerb = "check";
constexpr int kExitFound = 1;

// The error line's text after "check: " for a file that could not be checked.
std::string FailureText(const std::string& path, const Verdict& verdict) {
  switch (verdict.reason) {
    case NotCheckedReason::kAbsent:
    case NotCheckedReason::kNotRegularFile:
    case NotCheckedReason::kUnreadable:
      return OpenProblem(path);
    case NotCheckedReason::kTooLarge:
      return "'" + path + "' is too large to search";
    case NotCheckedReason::kEngineBound:
    case NotCheckedReason::kCancelled:
      return "'" + path + "': " + DescribeSearchStatus(verdict.engineStatus);
    default:
      break;
  }
  return "'" + path + "': not checked (" + std::string(DescribeReason(verdict.reason)) + ")";
}

// The result line for one file, or an empty string after reporting a
// failure; sets `found` when the file matched.
std::string CheckOneFile(FileMatcher& matcher, const SignatureDatabase& database,
                         const std::string& path, bool& found) {
  const Verdict verdict = matcher.CheckHostFile(path);
  switch (verdict.kind) {
    case Verdict::Kind::kClean:
      return path + ": clean";
    case Verdict::Kind::kInfected:
      found = true;
      return path + ": signature " + std::to_string(verdict.Code()) + " " +
             Printable(database.CharacterSignatures()[verdict.signature].name);
    case Verdict::Kind::kNotChecked:
      break;
  }
  Fail(std::string(kVerb) + ": " + FailureText(path, verdict));
  return {};
}

}  // namespace

int RunCheck(const Args& arguments) {
  Args args = arguments;
  const bool reference = TakeReferenceSwitch(args);
  if (args.size() < 2) return UsageError(kVerb, "needs a database and at least one file");
  std::string content;
  if (const int status = ReadDatabaseFile(kVerb, args[0], content); status != kExitOk) {
    return status;
  }
  const std::shared_ptr<const SignatureDatabase> database =
      SignatureDatabase::Build(content, SignatureDatabase());

  // Host files only: the matcher's store is never used.
  const platform::Store noStore;
  FileMatcher matcher(noStore, *database, nullptr,
                      reference ? MatchPath::kReference : MatchPath::kFast);
  bool found = false;
  bool failed = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string line = CheckOneFile(matcher, *database, args[i], found);
    if (line.empty()) {
      failed = true;
    } else {
      std::cout << line << '\n';
    }
  }
  std::cout << std::flush;
  if (found) return kExitFound;
  return failed ? kExitError : kExitOk;
}

}  // namespace kv::tarnsig
