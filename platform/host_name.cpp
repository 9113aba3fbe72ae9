// Host file name <-> device name, lossless through byte escapes (see the
// header). The round-trip check on the way to the host keeps the mapping
// one-to-one: a device name is accepted only if listing the host name it
// yields would give that same device name back.
#include "platform/host_name.h"

#include "platform/utf_codec.h"

namespace kv {

std::u16string HostNameToDevice(std::string_view hostName) {
  return DecodeUtf8(hostName, IllFormedUtf8::kEscapeBytes);
}

std::optional<std::string> DeviceNameToHost(std::u16string_view deviceName) {
  if (deviceName.empty() || deviceName == u"." || deviceName == u"..") return std::nullopt;
  if (deviceName.find_first_of(std::u16string_view(u"/\0", 2)) != std::u16string_view::npos) {
    return std::nullopt;
  }
  std::optional<std::string> hostName = EncodeUtf8(deviceName, LoneSurrogate::kUnescapeBytes);
  if (!hostName || HostNameToDevice(*hostName) != deviceName) return std::nullopt;
  return hostName;
}

}  // namespace kv
