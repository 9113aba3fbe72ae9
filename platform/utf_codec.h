// UTF-8 <-> UTF-16 codec shared by the text conversions (text.h) and the
// host file-name mapping (host_name.h), which differ only in what they do
// with ill-formed input.
//
// Entry points: DecodeUtf8, EncodeUtf8, IsHighSurrogate, IsLowSurrogate.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kv {

enum class IllFormedUtf8 {
  kReplace,      // each maximal ill-formed subsequence becomes one U+FFFD
  kEscapeBytes,  // each byte of it becomes the lone surrogate U+DC00 + byte
};

enum class LoneSurrogate {
  kReplace,        // becomes U+FFFD
  kUnescapeBytes,  // U+DC80..U+DCFF becomes the byte 0x80..0xFF; any other fails
};

inline bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
inline bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

std::u16string DecodeUtf8(std::string_view text, IllFormedUtf8 mode);

// Nothing only in kUnescapeBytes mode, for a lone surrogate outside
// U+DC80..U+DCFF.
std::optional<std::string> EncodeUtf8(std::u16string_view text, LoneSurrogate mode);

}  // namespace kv
