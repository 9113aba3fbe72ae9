// MayBacktrackHard: a walk over the tree (recursion targets not followed;
// the recursion node alone is the risk).
#include "pattern/internal/backtrack_risk.h"

#include <vector>

#include "pattern/internal/nodes_control.h"
#include "pattern/internal/nodes_group.h"
#include "pattern/internal/nodes_leaf.h"
#include "pattern/internal/nodes_repeat.h"

namespace kv {
namespace {

std::vector<const PatternNode*> Children(const PatternNode& node) {
  if (const auto* sequence = NodeAs<SequenceNode>(&node)) return sequence->items;
  if (const auto* alternation = NodeAs<AlternationNode>(&node)) {
    return alternation->items;
  }
  if (const auto* repeat = NodeAs<RepeatNode>(&node)) return {repeat->sub};
  if (const auto* lookaround = NodeAs<LookaroundNode>(&node)) {
    return {lookaround->sub};
  }
  if (const auto* atomic = NodeAs<AtomicGroupNode>(&node)) return {atomic->sub};
  if (const auto* conditional = NodeAs<ConditionalNode>(&node)) {
    return {conditional->condition, conditional->yes, conditional->no};
  }
  return {};
}

// A repeat that may give copies back (greedy or lazy, with optional copies).
bool IsBacktrackingRepeat(const PatternNode& node) {
  const auto* variable = NodeAs<GreedyRepeatNode>(&node);
  return variable != nullptr && variable->extra > 0 &&
         NodeAs<PossessiveRepeatNode>(&node) == nullptr;
}

// Whether `node` can match the same text in more than one way. Atomic
// groups, possessive repeats and lookaround match one way only, whatever
// they hold.
bool HasChoices(const PatternNode* node) {
  if (node == nullptr || NodeAs<AtomicGroupNode>(node) != nullptr ||
      NodeAs<PossessiveRepeatNode>(node) != nullptr || NodeAs<LookaroundNode>(node) != nullptr) {
    return false;
  }
  if (IsBacktrackingRepeat(*node) || NodeAs<ConditionalNode>(node) != nullptr ||
      NodeAs<BackrefNode>(node) != nullptr) {
    return true;
  }
  if (const auto* alternation = NodeAs<AlternationNode>(node)) {
    if (alternation->items.size() > 1) return true;
  }
  for (const PatternNode* child : Children(*node)) {
    if (HasChoices(child)) return true;
  }
  return false;
}

bool Risky(const PatternNode* node) {
  if (node == nullptr) return false;
  if (NodeAs<RecursionNode>(node) != nullptr) return true;
  if (IsBacktrackingRepeat(*node)) {
    const auto& repeat = static_cast<const GreedyRepeatNode&>(*node);
    if (repeat.extra > 1 && HasChoices(repeat.sub)) return true;
  }
  for (const PatternNode* child : Children(*node)) {
    if (Risky(child)) return true;
  }
  return false;
}

}  // namespace

bool MayBacktrackHard(const PatternNode& top) { return Risky(&top); }

}  // namespace kv
