// Text conversions at the host boundary: UTF-8 <-> UTF-16 with U+FFFD for
// ill-formed input, and the Windows-1252 widening of signature text.
#include "platform/text.h"

#include <array>
#include <cstdint>
#include <cstdio>

#include "platform/utf_codec.h"

namespace kv {
namespace {

// Windows-1252 bytes 0x80..0x9F; the rest of the code page is Latin-1. The
// undefined bytes keep their own value, as the handset's conversion does.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
  return DecodeUtf8(text, IllFormedUtf8::kReplace);
}

std::string Utf16ToUtf8(std::u16string_view text) {
  // Never nothing in this mode.
  return EncodeUtf8(text, LoneSurrogate::kReplace).value_or(std::string());
}

std::u16string WidenAnsi(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto b = static_cast<std::uint8_t>(c);
    out.push_back(b >= 0x80 && b <= 0x9F ? kWindows1252High[b - 0x80] : char16_t{b});
  }
  return out;
}

std::string EscapeControlBytes(std::string_view text) {
  std::string shown;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      std::array<char, 5> escape{};
      std::snprintf(escape.data(), escape.size(), "\\x%02X", byte);
      shown += escape.data();
    } else {
      shown += c;
    }
  }
  return shown;
}

}  // namespace kv
