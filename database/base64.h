// Base64Decode: the decoding half of Base64 (standard alphabet of RFC 4648)
// with the lenient rules the database files rely on. Only the program's
// decoder lives here; nothing in the program encodes.
//
// Rules, in the order they apply:
//  - text shorter than 4 characters: empty result, success;
//  - groups of 4 characters are gathered in order, skipping every character
//    that is neither in the alphabet nor "=" (bytes 0x80 and above too);
//    the input ending before a group is complete is a failure;
//  - "=" counts as padding and as the value 0 in its place; no padding gives
//    3 bytes, one "=" the first 2 and two "=" the first 1, three or four "="
//    none, and any padding ends decoding;
//  - after a group, fewer than 4 characters left (skipped ones counted) ends
//    decoding: a short tail is ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace kv {

// Decodes `text` into `out`. true on success with `outLength` set to the
// number of bytes produced; false on failure, `outLength` untouched. A result that would
// not fit `out` is a failure too: nothing is written outside `out`, though a
// failed call may have written a prefix into it.
[[nodiscard]] bool Base64Decode(std::string_view text, std::span<std::uint8_t> out,
                                std::size_t& outLength);

}  // namespace kv
