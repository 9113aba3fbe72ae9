// Leaf nodes of the pattern tree: the empty node, literals, classes,
// boundaries, the search-start anchor and back-references. None of them has
// children to call except a class's embedded classes; only BackrefNode
// pushes a resumption entry (the position it started from, since the length
// it consumed depends on the captures).
#pragma once

#include <string>
#include <vector>

#include "pattern/internal/pattern_node.h"
#include "pattern/internal/posix_classes.h"

namespace kv {

class EmptyNode : public NodeOfKind<NodeKind::kEmpty> {
 public:
  int Match(MatchState& state) const override;
  int MatchNext(MatchState& state) const override;
};

class LiteralNode : public NodeOfKind<NodeKind::kLiteral> {
 public:
  LiteralNode(std::string text, bool rightToLeft, bool ignoreCase)
      : text(std::move(text)), rightToLeft(rightToLeft), ignoreCase(ignoreCase) {}
  int Match(MatchState& state) const override;
  int MatchNext(MatchState& state) const override;

  std::string text;  // may hold zero bytes; its size is what is matched
  bool rightToLeft;
  bool ignoreCase;
};

struct CharRange {
  signed char low;
  signed char high;  // a range with low above high holds nothing
};

class CharClassNode : public NodeOfKind<NodeKind::kCharClass> {
 public:
  CharClassNode(bool rightToLeft, bool positive) : rightToLeft(rightToLeft), positive(positive) {}
  int Match(MatchState& state) const override;
  int MatchNext(MatchState& state) const override;

  // Whether `c` lies in one of the ranges or is one of the single chars
  // (embedded classes and negation not considered).
  bool Holds(int c) const;

  std::vector<CharRange> ranges;
  std::vector<signed char> singles;
  std::vector<const PatternNode*> embedded;  // class nodes, tried in order
  bool rightToLeft;
  bool positive;
};

class PosixClassNode : public NodeOfKind<NodeKind::kPosixClass> {
 public:
  PosixClassNode(PosixPredicate predicate, bool rightToLeft, bool positive)
      : predicate(predicate), rightToLeft(rightToLeft), positive(positive) {}
  int Match(MatchState& state) const override;
  int MatchNext(MatchState& state) const override;

  PosixPredicate predicate;  // null: the node never matches
  bool rightToLeft;
  bool positive;
};

enum class BoundaryKind {
  kTextStart,
  kTextEnd,
  kTextEndOrFinalBreak,
  kLineStart,
  kLineEnd,
  kWordEdge,
};

class BoundaryNode : public NodeOfKind<NodeKind::kBoundary> {
 public:
  BoundaryNode(BoundaryKind kind, bool positive) : kind(kind), positive(positive) {}
  int Match(MatchState& state) const override;
  int MatchNext(MatchState& state) const override;

  BoundaryKind kind;
  bool positive;
};

class SearchStartNode : public NodeOfKind<NodeKind::kSearchStart> {
 public:
  int Match(MatchState& state) const override;
  int MatchNext(MatchState& state) const override;
};

// Group numbers of back-references, conditions and recursions that are not
// known yet or name no group.
inline constexpr int kGroupUnresolved = -1;
inline constexpr int kGroupUnknownName = -3;

class BackrefNode : public NodeOfKind<NodeKind::kBackref> {
 public:
  BackrefNode(int group, bool rightToLeft, bool ignoreCase)
      : group(group), rightToLeft(rightToLeft), ignoreCase(ignoreCase) {}
  int Match(MatchState& state) const override;
  int MatchNext(MatchState& state) const override;

  int group;
  bool rightToLeft;
  bool ignoreCase;
  std::string name;
};

}  // namespace kv
