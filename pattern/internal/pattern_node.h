// PatternNode, the base of the compiled pattern's node classes.
//
// Matching is a depth-first backtracking search: every node has a first
// attempt (Match) and a resumption (MatchNext), and whatever a node needs to
// resume is pushed on the MatchState's backtrack stack, not kept in the node.
// Nodes are therefore immutable once the compiler has built the tree, and one
// tree can serve any number of searches at once.
//
// The protocol every class keeps:
// - Match tries the first way to match at the current position. On success
//   it leaves the position after (right-to-left: before) what it consumed and
//   its resumption entries on top of the backtrack stack, and returns
//   non-zero. On failure it leaves position, backtrack stack and capture stack
//   as it found them and returns 0.
// - MatchNext is called only on the node whose Match or MatchNext succeeded
//   last, after everything matched since has been undone. It finds the next
//   way (non-zero) or undoes its own last success completely (0).
// Composite nodes call their children through MatchChild/MatchNextChild
// (match_state.h), which count steps and nesting against the engine's bounds.
#pragma once

#include <string>

namespace kv {

struct MatchState;

// What a node is, for the analyses that read a tree's shape. The repeats
// come last, each before the classes derived from it.
enum class NodeKind : unsigned char {
  kEmpty,
  kLiteral,
  kCharClass,
  kPosixClass,
  kBoundary,
  kSearchStart,
  kBackref,
  kGroupMark,
  kSequence,
  kAlternation,
  kLookaround,
  kAtomicGroup,
  kConditional,
  kRecursion,
  kRepeat,
  kGreedyRepeat,
  kLazyRepeat,
  kPossessiveRepeat,
};

class PatternNode {
 public:
  PatternNode() = default;
  PatternNode(const PatternNode&) = delete;
  PatternNode& operator=(const PatternNode&) = delete;
  virtual ~PatternNode() = default;

  virtual int Match(MatchState& state) const = 0;
  virtual int MatchNext(MatchState& state) const = 0;
  virtual NodeKind Kind() const = 0;
};

// The base of a node class that no other class derives from.
template <NodeKind kKind>
class NodeOfKind : public PatternNode {
 public:
  NodeKind Kind() const final { return kKind; }
  static bool IsKind(NodeKind kind) { return kind == kKind; }
};

// `node` as a `T` when it is one, else null: what a dynamic_cast answers,
// without its type-name comparisons, which a large database's analyses
// made a sixth of start-up.
template <typename T>
const T* NodeAs(const PatternNode* node) {
  return node != nullptr && T::IsKind(node->Kind()) ? static_cast<const T*>(node) : nullptr;
}
template <typename T>
T* NodeAs(PatternNode* node) {
  return const_cast<T*>(NodeAs<T>(static_cast<const PatternNode*>(node)));
}

}  // namespace kv
