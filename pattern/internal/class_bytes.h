// The bytes a one-byte node accepts (a CharClassNode or PosixClassNode),
// found by running the node itself on each of the 256 bytes, so that the
// analyses see exactly what matching sees: signed ranges, negation,
// embedded classes, case widening done at build time.
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
