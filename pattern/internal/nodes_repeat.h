// Repetition nodes. All four first match their sub node exactly `fixed`
// times (RepeatNode does nothing else); the variable ones then take up to
// `extra` optional copies: as many as possible (greedy), as few as possible
// (lazy), or as many as possible without ever giving one back (possessive).
//
// An optional copy that matches empty is not counted: the repeat asks the
// sub node for other ways until one moves the position, else stops, so that
// `(a*)*` ends.
//
// In a memoized search (match_state.h) a greedy or lazy repeat also
// learns: an unbounded one, which copy starts lead nowhere, so that a later attempt
// stops growing there at once; one of a one-byte node, its copies by a
// cached count instead of a call each, and the positions after it where the
// rest of the attempt failed, which it then skips. Either gives the same
// ways in the same order as the plain search, less the ones known to fail.
#pragma once

#include <string>

#include "pattern/internal/pattern_node.h"

namespace kv {

class RepeatNode : public PatternNode {
 public:
  RepeatNode(const PatternNode* sub, int fixed) : sub(sub), fixed(fixed) {}
  int Match(MatchState& state) const override;
  int MatchNext(MatchState& state) const override;
  NodeKind Kind() const override { return NodeKind::kRepeat; }
  static bool IsKind(NodeKind kind) { return kind >= NodeKind::kRepeat; }

  const PatternNode* sub;
  int fixed;

 protected:
  // The fixed copies; `extraAfter` is the number of optional copies that
  // follow them (0 for a repeat with none, so nothing depends on the copy).
  int MatchFixed(MatchState& state, int extraAfter = 0) const;
  int MatchNextFixed(MatchState& state, int extraAfter = 0) const;
  // Matches the sub node and, when that consumed nothing, asks it for other
  // ways until one moves the position. 0 (sub node undone) when none does.
  int MatchMoving(MatchState& state) const;

 private:
  int FixedChain(MatchState& state, bool resume, int extraAfter) const;
};

class GreedyRepeatNode : public RepeatNode {
 public:
  GreedyRepeatNode(const PatternNode* sub, int fixed, int extra)
      : RepeatNode(sub, fixed), extra(extra) {}
  int Match(MatchState& state) const override;
  int MatchNext(MatchState& state) const override;
  NodeKind Kind() const override { return NodeKind::kGreedyRepeat; }
  static bool IsKind(NodeKind kind) { return kind >= NodeKind::kGreedyRepeat; }

  int extra;
  int memoSlot = -1;    // set by PlanMemo
  int oneByteStep = 0;  // set by PlanMemo: +1/-1 when sub consumes one byte

 protected:
  void MatchMore(MatchState& state) const;
  int MatchNextMore(MatchState& state) const;

 protected:
  // Whether the count can never reach `extra` in this buffer.
  bool Unbounded(const MatchState& state) const;

 private:
  void MatchMoreMemo(MatchState& state) const;
  int MatchNextMoreMemo(MatchState& state) const;
  void MatchMoreOneByte(MatchState& state) const;
  int MatchNextMoreOneByte(MatchState& state) const;
};

class LazyRepeatNode : public GreedyRepeatNode {
 public:
  using GreedyRepeatNode::GreedyRepeatNode;
  int Match(MatchState& state) const override;
  int MatchNext(MatchState& state) const override;
  NodeKind Kind() const final { return NodeKind::kLazyRepeat; }
  static bool IsKind(NodeKind kind) { return kind == NodeKind::kLazyRepeat; }

 private:
  int LazyMatchNextMore(MatchState& state) const;
  int LazyMatchNextMoreMemo(MatchState& state) const;
};

class PossessiveRepeatNode : public GreedyRepeatNode {
 public:
  using GreedyRepeatNode::GreedyRepeatNode;
  int Match(MatchState& state) const override;
  int MatchNext(MatchState& state) const override;
  NodeKind Kind() const final { return NodeKind::kPossessiveRepeat; }
  static bool IsKind(NodeKind kind) { return kind == NodeKind::kPossessiveRepeat; }
};

}  // namespace kv
