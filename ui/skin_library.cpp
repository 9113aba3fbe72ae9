// Loading the skin bundle: read through the store, registered from memory.
#include "ui/skin_library.h"

#include <QResource>
#include <cstdint>

#include "platform/files.h"

namespace kv {
namespace {

// Far above the drawn skin (well under a megabyte), small enough that a
// stray large file is refused before it is read whole.
constexpr std::uint64_t kMaxSkinBytes = std::uint64_t{32} * 1024 * 1024;

const uchar* Data(const std::string& bytes) { return reinterpret_cast<const uchar*>(bytes.data()); }

}  // namespace

SkinLibrary::~SkinLibrary() {
  if (registered_) QResource::unregisterResource(Data(bytes_));
}

bool SkinLibrary::Load(const Store& store, std::u16string_view devicePath) {
  if (registered_) return false;
  const Result<File> opened = File::OpenForRead(store, devicePath, Sharing::kRead);
  if (!opened.Ok()) return false;
  Result<std::string> bytes = opened.value.ReadAll(kMaxSkinBytes);
  if (!bytes.Ok() || bytes.value.empty()) return false;
  bytes_ = std::move(bytes.value);
  registered_ = QResource::registerResource(Data(bytes_));
  if (!registered_) bytes_.clear();
  return registered_;
}

}  // namespace kv
