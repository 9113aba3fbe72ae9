// Text conversions at the host boundary.
//
// Entry points: Utf8ToUtf16, Utf16ToUtf8, WidenAnsi, EscapeControlBytes.
// Inside the program, paths, registry, log and user interface are UTF-16 and
// signature text is 8-bit; the host speaks UTF-8. These conversions never
// fail: ill-formed input becomes U+FFFD so that a bad byte can never stop a
// message or a log line. (Host file names need a lossless mapping instead;
// that lives in host_name.h.)
#pragma once

#include <string>
#include <string_view>

namespace kv {

// UTF-8 to UTF-16. Each maximal ill-formed subsequence (a stray continuation
// byte, a truncated sequence, an overlong form, an encoded surrogate, a value
// above U+10FFFF) becomes one U+FFFD, the Unicode recommended practice.
std::u16string Utf8ToUtf16(std::string_view text);

// UTF-16 to UTF-8. A lone surrogate becomes U+FFFD (bytes EF BF BD).
std::string Utf16ToUtf8(std::u16string_view text);

// Widens 8-bit signature text with the handset's ANSI code page,
// Windows-1252. The five bytes that code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the code point of the same value.
std::u16string WidenAnsi(std::string_view text);

// `text` with every byte below 0x20 and 0x7F shown as \xHH, so that a
// message echoing what a user typed stays one line on a terminal.
std::string EscapeControlBytes(std::string_view text);

}  // namespace kv
