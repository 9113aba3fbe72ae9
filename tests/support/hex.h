// Hex: bytes as lower-case hex digits, for published test vectors and for
// tarnsig match-batch's input lines.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kv::testing {

inline std::string Hex(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const std::uint8_t byte : bytes) hex += {kDigits[byte >> 4], kDigits[byte & 15]};
  return hex;
}

inline std::string Hex(std::string_view bytes) {
  return Hex({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

}  // namespace kv::testing
