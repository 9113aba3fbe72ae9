// tarnsig sign PRIVATE-FILE DB-FILE: prints the signature line of the
// database file's exact bytes under the private key (the line the update
// server answers to the database request with "&sig=ed25519").
#include <iostream>
#include <string>

#include "tools/tarnsig/cli.h"
#include "tools/tarnsig/verbs.h"
#include "update/signature_line.h"

namespace kv::tarnsig {
namespace {

constexpr std::string_view kVerb = "sign";

}  // namespace

int RunSign(const Args& args) {
  if (args.size() != 2) {
    return UsageError(
        kVerb, args.size() < 2 ? "missing argument" : "unexpected argument '" + args[2] + "'");
  }
  std::string keyLine;
  std::string database;
  if (const int status = ReadWholeFile(kVerb, args[0], keyLine); status != kExitOk) return status;
  SecretKey key{};
  if (!ParseSecretKeyLine(keyLine, key)) {
    return Fail(std::string(kVerb) + ": '" + args[0] + "' holds no private key line");
  }
  if (const int status = ReadWholeFile(kVerb, args[1], database); status != kExitOk) return status;
  DatabaseSignature signature{};
  if (!SignDatabase(key, database, signature)) {
    return Fail(std::string(kVerb) + ": the crypto library cannot start");
  }
  std::cout << KeyLine(signature) << std::flush;
  return kExitOk;
}

}  // namespace kv::tarnsig
