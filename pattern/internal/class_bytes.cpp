// AcceptedBytes: a class's ranges and single bytes as CharClassNode::Holds
// reads them, each of the 256 bytes through the POSIX predicate, embedded
// classes evaluated the same way.
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
  // The ranges and singles set their bytes directly: asking Holds for each
  // of the 256 bytes cost more than the rest of a signature's analysis.
  for (const PatternNode* inner : cls->embedded) accepted |= AcceptedBytes(*inner);
  const auto set = [&accepted](int value) {
    accepted.set(static_cast<unsigned char>(static_cast<signed char>(value)));
  };
  for (const CharRange& range : cls->ranges) {
    for (int value = range.low; value <= range.high; ++value) set(value);
  }
  for (const signed char single : cls->singles) set(single);
  return cls->positive ? accepted : ~accepted;
}

}  // namespace kv
