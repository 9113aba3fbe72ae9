// RemoveStoreFile and RemoveFoundFile over the platform's quarantine. A
// failure to clear the attribute shows up as a failed removal, so it is not
// examined on its own.
#include "scan/file_removal.h"

#include "platform/files.h"

namespace kv {

QuarantineResult RemoveStoreFile(const Store& store, std::u16string_view path,
                                 std::u16string_view signature, std::u16string_view scanMode) {
  return QuarantineStoreFile(store, path, {signature, scanMode});
}

QuarantineResult RemoveFoundFile(const Store& store, std::u16string_view path,
                                 std::u16string_view signature, std::u16string_view scanMode) {
  QuarantineBatch quarantine(store);
  return RemoveFoundFile(quarantine, path, signature, scanMode);
}

QuarantineResult RemoveFoundFile(QuarantineBatch& quarantine, std::u16string_view path,
                                 std::u16string_view signature, std::u16string_view scanMode,
                                 const ReadDigest* read) {
  (void)SetNormalAttributes(quarantine.GetStore(), path);
  return quarantine.MoveStoreFile(path, {signature, scanMode, read});
}

ActionTaken ActionOf(ActionKind kind, std::u16string_view path, std::string_view signatureName,
                     const QuarantineResult& result) {
  return {kind,
          path,
          signatureName,
          result.Removed(),
          result.status == QuarantineStatus::kQuarantined,
          result.id};
}

}  // namespace kv
