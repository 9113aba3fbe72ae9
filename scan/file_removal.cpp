// RemoveStoreFile and RemoveFoundFile over the platform's quarantine. A
// failure to clear the attribute shows up as a failed removal, so it is not
// examined on its own.
#include "scan/file_removal.h"

#include "platform/files.h"

namespace kv {

platform::QuarantineResult RemoveStoreFile(const platform::Store& store, std::u16string_view path,
                                           std::u16string_view signature,
                                           std::u16string_view scanMode) {
  return platform::QuarantineStoreFile(store, path, {signature, scanMode});
}

platform::QuarantineResult RemoveFoundFile(const platform::Store& store, std::u16string_view path,
                                           std::u16string_view signature,
                                           std::u16string_view scanMode) {
  (void)platform::SetNormalAttributes(store, path);
  return RemoveStoreFile(store, path, signature, scanMode);
}

ActionTaken ActionOf(ActionKind kind, std::u16string_view path, std::string_view signatureName,
                     const platform::QuarantineResult& result) {
  return {kind,
          path,
          signatureName,
          result.Removed(),
          result.status == platform::QuarantineStatus::kQuarantined,
          result.id};
}

}  // namespace kv
