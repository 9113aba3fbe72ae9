// The bytes a one-byte node accepts (a CharClassNode or PosixClassNode), as
// its Match decides for the byte it examines: the ranges and single chars
// (signed comparisons, case widening done at build time), then the embedded
// classes, then negation; a POSIX class by its test.
#pragma once

#include <bitset>

#include "pattern/internal/pattern_node.h"

namespace kv {

using ByteSet = std::bitset<256>;  // indexed by the byte's unsigned value

// True for the node classes AcceptedBytes can evaluate.
bool IsOneByteNode(const PatternNode& node);

// The bytes `node` (a one-byte node) accepts.
ByteSet AcceptedBytes(const PatternNode& node);

}  // namespace kv
