// tarnsig check VirusDB.dat FILE...: which content signature each file
// matches, by the file matcher's own search over the database's character
// signatures.
//
// Output, one line per file, in argument order:
//   <file>: signature <position> <name>
//   <file>: clean
// Positions count from 1; an empty file is clean, as the scanner never
// matches one. A file that cannot be read or searched (an engine failure)
// is reported on stderr; the others are still checked and the exit status
// is then 2.
#include <iostream>
#include <new>
#include <string>

#include "app/app_context.h"
#include "pattern/engine_failure.h"
#include "scan/file_matcher.h"
#include "scan/signature_store.h"
#include "scan/virus_database.h"
#include "tools/tarnsig/cli.h"
#include "tools/tarnsig/verbs.h"

namespace kv::tarnsig {
namespace {

constexpr std::string_view kVerb = "check";

// The result line for one file, or an empty string after reporting a failure.
std::string CheckOneFile(const std::string& path) {
  std::string content;
  if (ReadSearchableFile(kVerb, path, content) != kExitOk) return {};
  int found = 0;
  try {
    if (!content.empty()) found = FirstMatchingSignature(content.data(), content.size());
  } catch (const PatternEngineFailure& failure) {
    Fail(std::string(kVerb) + ": '" + path + "': " + failure.what());
    return {};
  } catch (const std::bad_alloc&) {
    Fail(std::string(kVerb) + ": '" + path + "': out of memory");
    return {};
  }
  if (found == 0) return path + ": clean";
  const SignatureRecord& record = signatureStore.characterSignatures[found - 1];
  return path + ": signature " + std::to_string(found) + " " + Printable(record.name);
}

}  // namespace

int RunCheck(const Args& args) {
  if (args.size() < 2) return UsageError(kVerb, "needs a database and at least one file");
  std::string content;
  if (const int status = ReadDatabaseFile(kVerb, args[0], content); status != kExitOk) {
    return status;
  }
  signatureStore = SignatureStore{};
  ReadDatabaseLines(content, signatureStore, appContext.dbVersion);

  int status = kExitOk;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string line = CheckOneFile(args[i]);
    if (line.empty()) {
      status = kExitError;
    } else {
      std::cout << line << '\n';
    }
  }
  std::cout << std::flush;
  return status;
}

}  // namespace kv::tarnsig
