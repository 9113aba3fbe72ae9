// AcceptedBytes: each of the 256 bytes through the node's own membership
// test (CharClassNode::Holds, the POSIX predicate), embedded classes
// evaluated the same way.
#include "pattern/internal/class_bytes.h"

#include "pattern/internal/nodes_leaf.h"

namespace kv {

bool IsOneByteNode(const PatternNode& node) {
  return NodeAs<CharClassNode>(&node) != nullptr || NodeAs<PosixClassNode>(&node) != nullptr;
}

ByteSet AcceptedBytes(const PatternNode& node) {
  ByteSet accepted;
  if (const auto* posix = NodeAs<PosixClassNode>(&node)) {
    if (posix->predicate == nullptr) return accepted;  // never matches, negated or not
    for (int value = 0; value < 256; ++value) {
      const bool in = posix->predicate(static_cast<signed char>(value));
      accepted.set(static_cast<std::size_t>(value), in == posix->positive);
    }
    return accepted;
  }
  const auto* cls = NodeAs<CharClassNode>(&node);
  if (cls == nullptr) return accepted;
  ByteSet embedded;
  for (const PatternNode* inner : cls->embedded) embedded |= AcceptedBytes(*inner);
  for (int value = 0; value < 256; ++value) {
    const bool in = cls->Holds(static_cast<signed char>(value)) ||
                    embedded.test(static_cast<std::size_t>(value));
    accepted.set(static_cast<std::size_t>(value), in == cls->positive);
  }
  return accepted;
}

}  // namespace kv
