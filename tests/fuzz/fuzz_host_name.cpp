// Fuzz target: the host file name <-> device name mapping. Any host byte
// string that can be one folder entry (not empty, not "." or "..", no '/' or
// NUL) maps to a device name that maps back to the same bytes, so every host
// file can be listed, checked and deleted. And the same bytes read as UTF-16
// (pairs, low byte first): whenever DeviceNameToHost accepts them, the host
// name it gives is such an entry name and maps back to the same units, so no
// two device names reach one host file.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_target.h"
#include "platform/host_name.h"

namespace {

bool IsEntryName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kv::fuzz::Require;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (IsEntryName(bytes)) {
    Require(kv::DeviceNameToHost(kv::HostNameToDevice(bytes)) == bytes,
            "a host entry name maps to a device name and back to the same bytes");
  }

  std::u16string units;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    units += static_cast<char16_t>(data[i] | data[i + 1] << 8);
  }
  if (const std::optional<std::string> host = kv::DeviceNameToHost(units)) {
    Require(IsEntryName(*host), "an accepted device name gives a host entry name");
    Require(kv::HostNameToDevice(*host) == units,
            "an accepted device name comes back from its host name unchanged");
  }
  return 0;
}
