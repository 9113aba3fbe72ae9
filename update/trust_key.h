// The update's trust key: the Ed25519 public key a database must be signed
// with. Internal to update/.
//
// Entry point: LoadTrustKey. The file holds one public key line
// (signature_line.h). It lives outside the store, <prefix>/keys/update.pub
// by default, where neither a scan nor an update ever writes.
#pragma once

#include <filesystem>

#include "platform/store.h"
#include "update/signature_line.h"

namespace kv {

enum class TrustKeyStatus {
  kAbsent,    // no key is configured: the default file does not exist
  kLoaded,    // `key` holds it
  kUnusable,  // a named file is missing, or a key file cannot be read or
              // holds no key line
};

// Loads `namedFile`, or <prefix>/keys/update.pub when it is empty.
TrustKeyStatus LoadTrustKey(const Store& store, const std::filesystem::path& namedFile,
                            PublicKey& key);

}  // namespace kv
