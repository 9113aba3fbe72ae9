// The mapping between host file names (bytes, normally UTF-8) and the UTF-16
// names the program sees.
//
// Entry points: HostNameToDevice, DeviceNameToHost.
// The mapping is lossless so that a file whose host name is not valid UTF-8
// can still be listed, checked and deleted: each byte of an ill-formed
// UTF-8 subsequence becomes the lone surrogate U+DC00 + byte, and back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kv {

std::u16string HostNameToDevice(std::string_view hostName);

// nullopt when `deviceName` cannot be one host folder entry: empty, "." or
// "..", holding '/' or NUL, holding a lone surrogate other than the byte
// escapes, or holding escapes that would spell well-formed UTF-8 (so every
// host name has exactly one device name).
std::optional<std::string> DeviceNameToHost(std::u16string_view deviceName);

}  // namespace kv
