// Repetition nodes. All four first match their sub node exactly `fixed`
// times (RepeatNode does nothing else); the variable ones then take up to
// `extra` optional copies: as many as possible (greedy), as few as possible
// (lazy), or as many as possible without ever giving one back (possessive).
//
// An optional copy that matches empty is not counted: the repeat asks the
// sub node for other ways until one moves the position, else stops, so that
// `(a*)*` ends.
#pragma once

#include <string>

#include "pattern/internal/pattern_node.h"

namespace kv {

class RepeatNode : public PatternNode {
 public:
  RepeatNode(const PatternNode* sub, int fixed) : sub(sub), fixed(fixed) {}
  int Match(MatchState& state) const override;
  int MatchNext(MatchState& state) const override;
  void Dump(std::string& out) const override;

  const PatternNode* sub;
  int fixed;

 protected:
  int MatchFixed(MatchState& state) const;
  int MatchNextFixed(MatchState& state) const;
  // Matches the sub node and, when that consumed nothing, asks it for other
  // ways until one moves the position. 0 (sub node undone) when none does.
  int MatchMoving(MatchState& state) const;
  void DumpAs(std::string& out, const char* kind, long long extra) const;
};

class GreedyRepeatNode : public RepeatNode {
 public:
  GreedyRepeatNode(const PatternNode* sub, int fixed, int extra)
      : RepeatNode(sub, fixed), extra(extra) {}
  int Match(MatchState& state) const override;
  int MatchNext(MatchState& state) const override;
  void Dump(std::string& out) const override;

  int extra;

 protected:
  void MatchMore(MatchState& state) const;
  int MatchNextMore(MatchState& state) const;
};

class LazyRepeatNode : public GreedyRepeatNode {
 public:
  using GreedyRepeatNode::GreedyRepeatNode;
  int Match(MatchState& state) const override;
  int MatchNext(MatchState& state) const override;
  void Dump(std::string& out) const override;

 private:
  int LazyMatchNextMore(MatchState& state) const;
};

class PossessiveRepeatNode : public GreedyRepeatNode {
 public:
  using GreedyRepeatNode::GreedyRepeatNode;
  int Match(MatchState& state) const override;
  int MatchNext(MatchState& state) const override;
  void Dump(std::string& out) const override;
};

}  // namespace kv
