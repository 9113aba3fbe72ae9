// PlanMemo: one pass over every node the compile built (reachable or not,
// which only makes the answer more cautious).
#include "pattern/internal/memo_plan.h"

#include <typeinfo>

#include "pattern/internal/nodes_control.h"
#include "pattern/internal/nodes_group.h"
#include "pattern/internal/nodes_leaf.h"
#include "pattern/internal/nodes_repeat.h"

namespace kv {
namespace {

bool SeesOtherParts(const PatternNode& node) {
  if (NodeAs<BackrefNode>(&node) != nullptr) return true;
  if (NodeAs<RecursionNode>(&node) != nullptr) return true;
  const auto* conditional = NodeAs<ConditionalNode>(&node);
  return conditional != nullptr && (conditional->group >= 0 || conditional->condition == nullptr);
}

// +1 or -1 (right to left) for a node that consumes exactly one byte when
// it matches and pushes nothing; 0 for any other node.
int OneByteStep(const PatternNode* node) {
  if (const auto* literal = NodeAs<LiteralNode>(node)) {
    if (literal->text.size() == 1) return literal->rightToLeft ? -1 : 1;
  } else if (const auto* chars = NodeAs<CharClassNode>(node)) {
    if (chars->embedded.empty()) return chars->rightToLeft ? -1 : 1;
  } else if (const auto* posix = NodeAs<PosixClassNode>(node)) {
    return posix->rightToLeft ? -1 : 1;
  }
  return 0;
}

}  // namespace

void PlanMemo(CompiledTree& tree) {
  for (const auto& node : tree.nodes) {
    if (SeesOtherParts(*node)) return;
  }
  int slots = 0;
  for (const auto& owned : tree.nodes) {
    PatternNode& node = *owned;
    if (auto* alternation = NodeAs<AlternationNode>(&node)) {
      alternation->memoSlot = slots++;
    } else if (typeid(node) == typeid(GreedyRepeatNode)) {  // not lazy, not possessive
      auto& repeat = static_cast<GreedyRepeatNode&>(node);
      repeat.memoSlot = slots++;
      repeat.oneByteStep = OneByteStep(repeat.sub);
    } else if (auto* lazy = NodeAs<LazyRepeatNode>(&node)) {
      lazy->memoSlot = slots++;
    }
  }
  tree.memoizable = true;
  tree.memoSlots = slots;
}

}  // namespace kv
