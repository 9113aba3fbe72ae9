// What the literal searches share: ASCII case folding, comparing a literal
// as it asks, and choosing where in a literal a search anchors.
//
// Entry points: SameBytes, RarestPlace.
#pragma once

#include <cstddef>
#include <string>

#include "pattern/owned_literal.h"

namespace kv {

// Whether the literal's bytes start at `data` (caseless if it asks).
bool SameBytes(const unsigned char* data, const OwnedLiteral& literal);

// Where in `bytes` a place of `length` bytes goes: the place whose last
// three bytes, then whose whole length, look least like common data (text,
// zero runs), so that a search anchored there stops rarely in real buffers;
// the first such place.
std::size_t RarestPlace(const std::string& bytes, std::size_t length);

}  // namespace kv
