// tarnsig check [--reference] [--threads N] VirusDB.dat FILE...: which
// content signature each file matches, read and searched exactly as the
// scanner reads and searches a store file (FileMatcher): the fast way, or
// with --reference the reference way (each pattern compiled per file, every
// position tried). The files are checked on a pool of N threads (default:
// one a core), opened one after another here.
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
#include <deque>
#include <iostream>
#include <string>

#include "database/signature_database.h"
#include "database/virus_database.h"
#include "platform/files.h"
#include "platform/store.h"
#include "scan/parallel_checker.h"
#include "scan/run_scan.h"
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
std::string ResultLine(const SignatureDatabase& database, const std::string& path,
                       const Verdict& verdict, bool& found) {
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

// Takes the leading --reference and --threads N; kExitOk, or the usage
// error's status after reporting it.
int TakeOptions(Args& args, bool& reference, unsigned& threads) {
  while (!args.empty()) {
    if (TakeReferenceSwitch(args)) {
      reference = true;
    } else if (args[0] == "--threads") {
      const bool number = args.size() > 1 && !args[1].empty() && args[1].size() <= 3 &&
                          args[1].find_first_not_of("0123456789") == std::string::npos;
      const unsigned value = number ? static_cast<unsigned>(std::stoul(args[1])) : 0;
      if (value == 0 || value > 256) {
        return UsageError(kVerb, "--threads takes a number from 1 to 256");
      }
      threads = value;
      args.erase(args.begin(), args.begin() + 2);
    } else {
      break;
    }
  }
  return kExitOk;
}

}  // namespace

int RunCheck(const Args& arguments) {
  Args args = arguments;
  bool reference = false;
  unsigned threads = DefaultScanThreads();
  if (const int status = TakeOptions(args, reference, threads); status != kExitOk) return status;
  if (args.size() < 2) return UsageError(kVerb, "needs a database and at least one file");
  std::string content;
  if (const int status = ReadDatabaseFile(kVerb, args[0], content); status != kExitOk) {
    return status;
  }
  const std::shared_ptr<const SignatureDatabase> database =
      SignatureDatabase::Build(content, SignatureDatabase(), threads);
  KeepUntilProcessEnds(database);

  bool found = false;
  bool failed = false;
  std::deque<std::string> paths;  // handed to the pool, not yet reported
  // Host files only: the checkers' store is never used.
  const Store noStore;
  {
    ParallelChecker checker(
        noStore, *database, nullptr, threads,
        [&](std::u16string_view, const Verdict& verdict, std::uint64_t, std::uint64_t,
            const ReadDigest*) {
          const std::string line = ResultLine(*database, paths.front(), verdict, found);
          paths.pop_front();
          if (line.empty()) {
            failed = true;
          } else {
            std::cout << line << '\n';
          }
        },
        reference ? MatchPath::kReference : MatchPath::kFast);
    for (std::size_t i = 1; i < args.size(); ++i) {
      CheckedFile file;
      file.open = [path = args[i]] { return File::OpenHostFile(path, Sharing::kNone); };
      paths.push_back(args[i]);
      checker.Submit(std::move(file));
    }
    checker.Finish();
  }
  std::cout << std::flush;
  if (found) return kExitFound;
  return failed ? kExitError : kExitOk;
}

}  // namespace kv::tarnsig
