// LoadTrustKey: read through the platform's host-file open, which refuses
// a pipe or a device unread, and bounded, as a key line is a few dozen bytes.
#include "update/trust_key.h"

#include <string>

#include "platform/files.h"

namespace kv {
namespace {

// Far above a key line with its line end; a larger file is no key file.
constexpr std::uint64_t kMaxKeyFileBytes = 1024;

}  // namespace

TrustKeyStatus LoadTrustKey(const Store& store, const std::filesystem::path& namedFile,
                            PublicKey& key) {
  const bool named = !namedFile.empty();
  const std::filesystem::path path = named ? namedFile : store.PrefixPath() / "keys" / "update.pub";
  const Result<File> opened = File::OpenHostFile(path, Sharing::kRead);
  switch (opened.status) {
    case FileStatus::kOk:
      break;
    case FileStatus::kFileNotFound:
      return named ? TrustKeyStatus::kUnusable : TrustKeyStatus::kAbsent;
    case FileStatus::kFailed:
    case FileStatus::kLocked:
    case FileStatus::kNotRegular:
      return TrustKeyStatus::kUnusable;
  }
  const Result<std::string> line = opened.value.ReadAll(kMaxKeyFileBytes);
  if (!line.Ok() || !ParsePublicKeyLine(line.value, key)) {
    return TrustKeyStatus::kUnusable;
  }
  return TrustKeyStatus::kLoaded;
}

}  // namespace kv
