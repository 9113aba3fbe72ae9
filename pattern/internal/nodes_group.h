// Structure nodes: the group marks that record captures, sequences and
// alternations.
//
// A capturing group is the SequenceNode [opening mark, content, closing
// mark]; in a right-to-left group the first mark is the closing one, so that
// the mark met first while matching leftwards opens the capture.
#pragma once

#include <string>
#include <vector>

#include "pattern/internal/pattern_node.h"

namespace kv {

class GroupMarkNode : public NodeOfKind<NodeKind::kGroupMark> {
 public:
  GroupMarkNode(int group, bool closing) : group(group), closing(closing) {}
  int Match(MatchState& state) const override;
  int MatchNext(MatchState& state) const override;

  int group;     // -1 until a named group is numbered after the build
  bool closing;  // this mark ends the capture in matching order
  std::string name;
};

class SequenceNode : public NodeOfKind<NodeKind::kSequence> {
 public:
  explicit SequenceNode(bool rightToLeft) : rightToLeft(rightToLeft) {}
  int Match(MatchState& state) const override;
  int MatchNext(MatchState& state) const override;

  std::vector<const PatternNode*> items;
  bool rightToLeft;  // items are matched from last to first
};

// In a memoized search an alternation learns the positions where none of
// its branches leads to a match (see match_state.h), and fails there at
// once the next time.
class AlternationNode : public NodeOfKind<NodeKind::kAlternation> {
 public:
  int Match(MatchState& state) const override;
  int MatchNext(MatchState& state) const override;

  std::vector<const PatternNode*> items;
  int memoSlot = -1;  // set by PlanMemo
};

}  // namespace kv
