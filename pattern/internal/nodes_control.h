// Nodes that control backtracking rather than consume text on their own:
// lookaround, atomic groups, conditionals and recursion.
//
// Lookaround and atomic groups run their sub node once and then cut its
// resumption entries off the backtrack stack, so nothing inside can be
// resumed; they keep only what they need to undo themselves.
#pragma once

#include <string>

#include "pattern/internal/pattern_node.h"

namespace kv {

class LookaroundNode : public NodeOfKind<NodeKind::kLookaround> {
 public:
  LookaroundNode(const PatternNode* sub, bool positive) : sub(sub), positive(positive) {}
  int Match(MatchState& state) const override;
  int MatchNext(MatchState& state) const override;

  const PatternNode* sub;
  bool positive;
};

class AtomicGroupNode : public NodeOfKind<NodeKind::kAtomicGroup> {
 public:
  explicit AtomicGroupNode(const PatternNode* sub) : sub(sub) {}
  int Match(MatchState& state) const override;
  int MatchNext(MatchState& state) const override;

  const PatternNode* sub;
};

class ConditionalNode : public NodeOfKind<NodeKind::kConditional> {
 public:
  int Match(MatchState& state) const override;
  int MatchNext(MatchState& state) const override;

  int group = -1;  // -1: the condition is the condition node (or true)
  std::string name;
  const PatternNode* condition = nullptr;
  const PatternNode* yes = nullptr;  // a missing branch matches empty
  const PatternNode* no = nullptr;

 private:
  bool ConditionHolds(MatchState& state) const;
  const PatternNode* Branch(bool holds) const { return holds ? yes : no; }
};

class RecursionNode : public NodeOfKind<NodeKind::kRecursion> {
 public:
  int Match(MatchState& state) const override;
  int MatchNext(MatchState& state) const override;

  const PatternNode* target = nullptr;  // null: matches empty
  int group = 0;                        // -3 while it is a name
  std::string name;
};

}  // namespace kv
