// UTF-8 <-> UTF-16 codec. The decoder follows the Unicode recommended
// practice of replacing each maximal ill-formed subpart, so an ill-formed
// byte never swallows the well-formed text after it.
#include "platform/utf_codec.h"

#include <cstdint>

namespace kv {
namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr char32_t kLowSurrogateBase = 0xDC00;

struct LeadByte {
  int length;              // 0 when the byte cannot start a sequence
  std::uint8_t secondMin;  // valid range of the second byte; narrower than
  std::uint8_t secondMax;  // 80..BF where it excludes overlongs, surrogates
                           // and values above U+10FFFF
};

LeadByte ClassifyLead(std::uint8_t b) {
  if (b >= 0xC2 && b <= 0xDF) return {2, 0x80, 0xBF};
  if (b == 0xE0) return {3, 0xA0, 0xBF};
  if (b == 0xED) return {3, 0x80, 0x9F};
  if (b >= 0xE1 && b <= 0xEF) return {3, 0x80, 0xBF};
  if (b == 0xF0) return {4, 0x90, 0xBF};
  if (b >= 0xF1 && b <= 0xF3) return {4, 0x80, 0xBF};
  if (b == 0xF4) return {4, 0x80, 0x8F};
  return {0, 0, 0};
}

void AppendCodePoint(char32_t cp, std::u16string& out) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
    return;
  }
  cp -= 0x10000;
  out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
  out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
}

void AppendIllFormed(std::string_view subpart, IllFormedUtf8 mode, std::u16string& out) {
  if (mode == IllFormedUtf8::kReplace) {
    out.push_back(kReplacement);
    return;
  }
  for (char c : subpart) {
    out.push_back(static_cast<char16_t>(kLowSurrogateBase + static_cast<std::uint8_t>(c)));
  }
}

void AppendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

std::u16string DecodeUtf8(std::string_view text, IllFormedUtf8 mode) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<std::uint8_t>(text[i]);
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    }
    const LeadByte kind = ClassifyLead(lead);
    if (kind.length == 0) {
      AppendIllFormed(text.substr(i, 1), mode, out);
      ++i;
      continue;
    }
    char32_t cp = lead & (0xFF >> (kind.length + 1));
    int taken = 1;
    for (; taken < kind.length && i + taken < text.size(); ++taken) {
      const auto b = static_cast<std::uint8_t>(text[i + taken]);
      const std::uint8_t min = taken == 1 ? kind.secondMin : 0x80;
      const std::uint8_t max = taken == 1 ? kind.secondMax : 0xBF;
      if (b < min || b > max) break;
      cp = (cp << 6) | (b & 0x3F);
    }
    if (taken < kind.length) {
      AppendIllFormed(text.substr(i, taken), mode, out);
    } else {
      AppendCodePoint(cp, out);
    }
    i += taken;
  }
  return out;
}

std::optional<std::string> EncodeUtf8(std::u16string_view text, LoneSurrogate mode) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t u = text[i];
    if (IsHighSurrogate(u) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      AppendUtf8(0x10000 + ((char32_t{u} - 0xD800) << 10) + (text[i + 1] - 0xDC00), out);
      ++i;
    } else if (!IsHighSurrogate(u) && !IsLowSurrogate(u)) {
      AppendUtf8(u, out);
    } else if (mode == LoneSurrogate::kReplace) {
      AppendUtf8(kReplacement, out);
    } else if (u >= kLowSurrogateBase + 0x80 && u <= kLowSurrogateBase + 0xFF) {
      out.push_back(static_cast<char>(u - kLowSurrogateBase));
    } else {
      return std::nullopt;
    }
  }
  return out;
}

}  // namespace kv
