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

TrustKeyStatus LoadTrustKey(const platform::Store& store, const std::filesystem::path& namedFile,
                            PublicKey& key) {
  const bool named = !namedFile.empty();
  const std::filesystem::path path = named ? namedFile : store.PrefixPath() / "keys" / "update.pub";
  const platform::Result<platform::File> opened =
      platform::File::OpenHostFile(path, platform::Sharing::kRead);
  switch (opened.status) {
    case platform::FileStatus::kOk:
      break;
    case platform::FileStatus::kFileNotFound:
      return named ? TrustKeyStatus::kUnusable : TrustKeyStatus::kAbsent;
    case platform::FileStatus::kFailed:
    case platform::FileStatus::kLocked:
    case platform::FileStatus::kNotRegular:
      return TrustKeyStatus::kUnusable;
  }
  const platform::Result<std::string> line = opened.value.ReadAll(kMaxKeyFileBytes);
  if (!line.Ok() || !ParsePublicKeyLine(line.value, key)) {
    return TrustKeyStatus::kUnusable;
  }
  return TrustKeyStatus::kLoaded;
}

}  // namespace kv
