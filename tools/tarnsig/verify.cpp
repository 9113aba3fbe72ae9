// tarnsig verify PUBLIC-FILE DB-FILE SIG-FILE: checks a database file's
// signature line as the update does. Prints "valid" with exit status 0, or
// "invalid" with 1 (a signature file that holds no signature line is
// invalid too); 2 when a file cannot be read or the public file holds no
// key line.
#include <iostream>
#include <string>

#include "tools/tarnsig/cli.h"
#include "tools/tarnsig/verbs.h"
#include "update/signature_line.h"

namespace kv::tarnsig {
namespace {

constexpr std::string_view kVerb = "verify";
constexpr int kExitInvalid = 1;

}  // namespace

int RunVerify(const Args& args) {
  if (args.size() != 3) {
    return UsageError(
        kVerb, args.size() < 3 ? "missing argument" : "unexpected argument '" + args[3] + "'");
  }
  std::string keyLine;
  std::string database;
  std::string signatureLine;
  for (const auto& [path, content] : {std::pair{&args[0], &keyLine}, std::pair{&args[1], &database},
                                      std::pair{&args[2], &signatureLine}}) {
    if (const int status = ReadWholeFile(kVerb, *path, *content); status != kExitOk) return status;
  }
  PublicKey key{};
  if (!ParsePublicKeyLine(keyLine, key)) {
    return Fail(std::string(kVerb) + ": '" + args[0] + "' holds no public key line");
  }
  DatabaseSignature signature{};
  if (!ParseSignatureLine(signatureLine, signature) || !VerifyDatabase(key, database, signature)) {
    std::cout << "invalid\n";
    return kExitInvalid;
  }
  std::cout << "valid\n";
  return kExitOk;
}

}  // namespace kv::tarnsig
