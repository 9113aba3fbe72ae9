// AcceptedBytes: a MatchState over a one-byte text, the node's Match at the
// position its direction reads from.
#include "pattern/internal/class_bytes.h"

#include "pattern/internal/match_state.h"
#include "pattern/internal/nodes_leaf.h"

namespace kv {

bool IsOneByteNode(const PatternNode& node) {
  return dynamic_cast<const CharClassNode*>(&node) != nullptr ||
         dynamic_cast<const PosixClassNode*>(&node) != nullptr;
}

ByteSet AcceptedBytes(const PatternNode& node) {
  bool rightToLeft = false;
  if (const auto* cls = dynamic_cast<const CharClassNode*>(&node)) rightToLeft = cls->rightToLeft;
  if (const auto* posix = dynamic_cast<const PosixClassNode*>(&node)) {
    rightToLeft = posix->rightToLeft;
  }
  ByteSet accepted;
  MatchState state;
  state.length = 1;
  state.stepBudget = ~std::uint64_t{0};
  for (int value = 0; value < 256; ++value) {
    const char byte = static_cast<char>(value);
    state.text = &byte;
    state.position = rightToLeft ? 1 : 0;
    state.steps = 0;
    if (node.Match(state) != 0) accepted.set(static_cast<std::size_t>(value));
  }
  return accepted;
}

}  // namespace kv
