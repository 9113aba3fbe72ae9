// The inverse of the program's line decoder (scan/line_decoder.h), for
// tarnsig only: the program itself never enciphers. A plain line is
// RC4-enciphered with the MD5 digest of the key, then Base64-encoded with
// the standard alphabet and "=" padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kv::tarnsig {

// Base64 text of `bytes`, padded to a multiple of 4 characters.
std::string Base64Encode(std::span<const std::uint8_t> bytes);

// Length of the Base64 text of `byteCount` bytes.
constexpr std::size_t EncodedLength(std::size_t byteCount) { return (byteCount + 2) / 3 * 4; }

// The stored form of one plain line (without line end).
std::string EncodeDatabaseLine(std::string_view key, std::string_view plain);

}  // namespace kv::tarnsig
