// RemoveStoreFile and RemoveFoundFile over the platform's quarantine. A
// failure to clear the attribute shows up as a failed removal, so it is not
// examined on its own.
#include "scan/file_removal.h"

#include <utility>

namespace kv {

QuarantineResult RemoveStoreFile(const Store& store, std::u16string_view path,
                                 std::u16string_view signature, std::u16string_view scanMode) {
  return QuarantineStoreFile(store, path, {signature, scanMode});
}

QuarantineResult RemoveFoundFile(const Store& store, std::u16string_view path,
                                 std::u16string_view signature, std::u16string_view scanMode) {
  QuarantineBatch quarantine(store);
  const std::size_t place = ReserveFoundFile(quarantine, path, signature, scanMode, nullptr);
  return std::move(quarantine.MoveReserved()[place]);
}

std::size_t ReserveFoundFile(QuarantineBatch& quarantine, std::u16string_view path,
                             std::u16string_view signature, std::u16string_view scanMode,
                             const ReadDigest* read) {
  return quarantine.ReserveStoreFile(path, {signature, scanMode, read},
                                     StoreAttributes::kSetNormal);
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
