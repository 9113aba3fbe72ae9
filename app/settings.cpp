// The registry settings helpers (settings.h): thin adapters from the
// handset's 1/0 registry calls to RegistryHive's typed results.
#include "app/settings.h"

#include <algorithm>
#include <string>

namespace kv {

bool WriteRegistryString(RegistryHive& hive, RegistryRoot root, std::u16string_view subkey,
                         std::u16string_view valueName, std::u16string_view text) {
  return hive.SetString(root, subkey, valueName, text).Ok();
}

bool WriteRegistryDword(RegistryHive& hive, RegistryRoot root, std::u16string_view subkey,
                        std::u16string_view valueName, std::uint32_t data) {
  return hive.SetDword(root, subkey, valueName, data).Ok();
}

std::optional<std::uint32_t> ReadRegistryDword(const RegistryHive& hive, RegistryRoot root,
                                               std::u16string_view subkey,
                                               std::u16string_view valueName) {
  const RegistryResult<RegistryValue> read = hive.ReadValue(root, subkey, valueName);
  if (!read.Ok()) return std::nullopt;
  const std::string data = read.value.Data();
  std::uint32_t word = 0;
  for (std::size_t i = 0; i < std::min<std::size_t>(data.size(), 4); ++i) {
    word |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
  }
  return word;
}

void OnScanStatusChanged(const RegistryHive& hive, StopToken& backgroundScanStop) {
  if (ReadRegistryDword(hive, RegistryRoot::kLocalMachine, kKestrelvoxKey, kScanStatusValue) ==
      kScanStatusStop) {
    backgroundScanStop.Stop();
  }
}

}  // namespace kv
