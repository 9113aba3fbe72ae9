// DecodeDatabaseLine: turns one stored line of the signature database back
// into its plain text. Used by the loader (database_lines.cpp) for every line
// after the version line, and by the delete-list reader.
//
// Stored line format: Base64 text (standard alphabet, "=" padding) of the
// RC4-enciphered plain line, without its CR LF, at most 159 characters.
// Decoding steps:
//  1. the RC4 key is the 16-byte MD5 digest of the key string's bytes (the
//     database key "QOPRUX", no terminator);
//  2. the stored line, up to its first zero byte, is Base64-decoded (rules
//     in base64.h) into a zero-filled 320-byte buffer: n bytes, at most 319;
//  3. the n bytes are RC4-deciphered, each line from the start of the key
//     stream, giving the plain line (at most 255 bytes, the callers' buffer).
// The plain bytes may hold a zero byte; callers read the line up to it.
#pragma once

#include <string>
#include <string_view>

namespace kv {

// true on success: `out` holds exactly the n plain bytes. false when the
// Base64 step fails or its result would not fit the 320-byte buffer or a
// 256-byte plain buffer with its terminator; `out` is then left untouched.
[[nodiscard]] bool DecodeDatabaseLine(std::string_view key, std::string_view line,
                                      std::string& out);

}  // namespace kv
