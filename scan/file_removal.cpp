// RemoveStoreFile: a failure to clear the attribute shows up as a failed
// deletion, so it is not examined on its own.
#include "scan/file_removal.h"

#include "platform/files.h"

namespace kv {

bool RemoveStoreFile(const platform::Store& store, std::u16string_view path) {
  (void)platform::SetNormalAttributes(store, path);
  return platform::DeleteStoreFile(store, path) == platform::FileStatus::kOk;
}

}  // namespace kv
