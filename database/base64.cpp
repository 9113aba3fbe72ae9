// Base64 decoding group by group, as documented in base64.h. The value of a
// character is found by a switch over ranges rather than a 256-entry table:
// signed and unsigned chars then need no care.
#include "database/base64.h"

#include <array>

namespace kv {
namespace {

constexpr char kPadding = '=';

// The character's value in the alphabet, or -1 when it is not in it.
int AlphabetValue(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

bool Base64Decode(std::string_view text, std::span<std::uint8_t> out, std::size_t& outLength) {
  if (text.size() < 4) {
    outLength = 0;
    return true;
  }
  std::size_t produced = 0;
  std::size_t pos = 0;
  while (true) {
    std::array<std::uint32_t, 4> values{};
    int padding = 0;
    for (std::size_t gathered = 0; gathered < values.size();) {
      if (pos == text.size()) return false;
      const char c = text[pos++];
      if (c == kPadding) {
        ++padding;
        values[gathered++] = 0;
      } else if (const int value = AlphabetValue(c); value >= 0) {
        values[gathered++] = static_cast<std::uint32_t>(value);
      }
    }
    const std::array<std::uint8_t, 3> bytes = {
        static_cast<std::uint8_t>(values[0] << 2 | values[1] >> 4),
        static_cast<std::uint8_t>(values[1] << 4 | values[2] >> 2),
        static_cast<std::uint8_t>(values[2] << 6 | values[3])};
    const std::size_t count = padding >= 3 ? 0 : bytes.size() - static_cast<std::size_t>(padding);
    if (count > out.size() - produced) return false;
    for (std::size_t i = 0; i < count; ++i) {
      out[produced++] = bytes[i];
    }
    if (padding > 0 || text.size() - pos < 4) break;
  }
  outLength = produced;
  return true;
}

}  // namespace kv
