// tarnsig keygen PRIVATE-FILE PUBLIC-FILE: makes an Ed25519 key pair for
// signing update databases and writes each as one key line
// (update/signature_line.h). The public file becomes a device's trust key
// (<prefix>/keys/update.pub); the private one stays with whoever signs.
//
// Neither file may exist yet: overwriting a private key would lose every
// device's trust in the databases it signs. The private file is made
// readable by its owner alone before its key is written.
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "tools/tarnsig/cli.h"
#include "tools/tarnsig/verbs.h"
#include "update/signature_line.h"

namespace kv::tarnsig {
namespace {

constexpr std::string_view kVerb = "keygen";

int WritePrivateFile(const std::string& path, std::string_view line) {
  std::error_code error;
  std::ofstream(path, std::ios::binary).close();
  std::filesystem::permissions(
      path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
      std::filesystem::perm_options::replace, error);
  if (error) return Fail(std::string(kVerb) + ": cannot write '" + path + "'");
  return WriteWholeFile(kVerb, path, line);
}

}  // namespace

int RunKeygen(const Args& args) {
  if (args.size() != 2) {
    return UsageError(
        kVerb, args.size() < 2 ? "missing argument" : "unexpected argument '" + args[2] + "'");
  }
  for (const std::string& path : args) {
    std::error_code error;
    if (std::filesystem::symlink_status(path, error).type() !=
        std::filesystem::file_type::not_found) {
      return Fail(std::string(kVerb) + ": '" + path + "' exists already; keys are never replaced");
    }
  }
  PublicKey publicKey{};
  SecretKey secretKey{};
  if (!GenerateKeyPair(publicKey, secretKey)) {
    return Fail(std::string(kVerb) + ": the crypto library cannot start");
  }
  if (const int status = WritePrivateFile(args[0], KeyLine(secretKey)); status != kExitOk) {
    return status;
  }
  return WriteWholeFile(kVerb, args[1], KeyLine(publicKey));
}

}  // namespace kv::tarnsig
