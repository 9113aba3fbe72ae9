// The registry settings helpers (settings.h): thin adapters from the
// handset's 1/0 registry calls to RegistryHive's typed results.
#include "app/settings.h"

#include <algorithm>
#include <string>

namespace kv::app {

bool WriteRegistryString(platform::RegistryHive& hive, platform::RegistryRoot root,
                         std::u16string_view subkey, std::u16string_view valueName,
                         std::u16string_view text) {
  return hive.SetString(root, subkey, valueName, text) == platform::RegistryStatus::kOk;
}

bool WriteRegistryDword(platform::RegistryHive& hive, platform::RegistryRoot root,
                        std::u16string_view subkey, std::u16string_view valueName,
                        std::uint32_t data) {
  return hive.SetDword(root, subkey, valueName, data) == platform::RegistryStatus::kOk;
}

std::optional<std::uint32_t> ReadRegistryDword(const platform::RegistryHive& hive,
                                               platform::RegistryRoot root,
                                               std::u16string_view subkey,
                                               std::u16string_view valueName) {
  platform::RegistryValue value;
  if (hive.ReadValue(root, subkey, valueName, value) != platform::RegistryStatus::kOk) {
    return std::nullopt;
  }
  const std::string data = value.Data();
  std::uint32_t word = 0;
  for (std::size_t i = 0; i < std::min<std::size_t>(data.size(), 4); ++i) {
    word |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
  }
  return word;
}

void OnScanStatusChanged(const platform::RegistryHive& hive, StopToken& backgroundScanStop) {
  if (ReadRegistryDword(hive, platform::RegistryRoot::kLocalMachine, kKestrelvoxKey,
                        kScanStatusValue) == kScanStatusStop) {
    backgroundScanStop.Stop();
  }
}

}  // namespace kv::app
