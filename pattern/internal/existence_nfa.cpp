// BuildExistenceNfa: the tree is compiled backwards, each node given the
// state its match continues to, so a sequence needs no patching. A counted
// repeat is unrolled (its optional copies nested, `(X(X)?)?`); the state
// cap ends an unrolling that grows too large.
#include "pattern/internal/existence_nfa.h"

#include <typeinfo>
#include <unordered_map>

#include "pattern/internal/match_state.h"
#include "pattern/internal/nodes_group.h"
#include "pattern/internal/nodes_leaf.h"
#include "pattern/internal/nodes_repeat.h"
#include "pattern/pattern_flags.h"
#include "platform/limits.h"

namespace kv {
namespace {

// Thrown inside the builder when the tree is not one it can take.
struct NotRegular {};

// The bytes `node` consumes as its own Match decides, each tried as a
// one-byte text.
ByteSet ProbeBytes(const PatternNode& node) {
  ByteSet accepted;
  MatchState state;
  state.length = 1;
  state.stepBudget = UINT64_MAX;
  for (int value = 0; value < 256; ++value) {
    const char byte = static_cast<char>(value);
    state.text = &byte;
    state.position = 0;
    if (MatchChild(node, state) != 0 && state.position == 1) {
      accepted.set(static_cast<std::size_t>(value));
    }
  }
  return accepted;
}

// A class that reads the byte at the position, and only that byte.
bool IsForwardClass(const PatternNode& node) {
  if (const auto* posix = dynamic_cast<const PosixClassNode*>(&node)) return !posix->rightToLeft;
  const auto* cls = dynamic_cast<const CharClassNode*>(&node);
  if (cls == nullptr || cls->rightToLeft) return false;
  for (const PatternNode* inner : cls->embedded) {
    if (!IsForwardClass(*inner)) return false;
  }
  return true;
}

std::array<std::array<int, 256>, 2> Unprobed() {
  std::array<std::array<int, 256>, 2> sets{};
  for (auto& row : sets) row.fill(-1);
  return sets;
}

class NfaBuilder {
 public:
  explicit NfaBuilder(ExistenceNfa& nfa) : nfa_(nfa) {}

  // The entry state of `node` followed by state `next`.
  int Build(const PatternNode& node, int next) {
    const std::type_info& type = typeid(node);
    if (type == typeid(EmptyNode) || type == typeid(GroupMarkNode)) return next;
    if (type == typeid(LiteralNode)) return Literal(static_cast<const LiteralNode&>(node), next);
    if (IsForwardClass(node)) return Bytes(ProbeBytes(node), next);
    if (type == typeid(SequenceNode)) {
      const auto& sequence = static_cast<const SequenceNode&>(node);
      if (sequence.rightToLeft) throw NotRegular{};
      for (auto it = sequence.items.rbegin(); it != sequence.items.rend(); ++it) {
        next = Build(**it, next);
      }
      return next;
    }
    if (type == typeid(AlternationNode)) {
      const auto& items = static_cast<const AlternationNode&>(node).items;
      int entry = Build(*items.back(), next);
      for (auto it = items.rbegin() + 1; it != items.rend(); ++it) {
        entry = Split(Build(**it, next), entry);
      }
      return entry;
    }
    if (type == typeid(RepeatNode)) {
      const auto& repeat = static_cast<const RepeatNode&>(node);
      return Fixed(*repeat.sub, repeat.fixed, next);
    }
    // Greedy and lazy alike: the order of the ways does not change whether
    // one of them leads to a match. Possessive ones do cut ways off.
    if (type == typeid(GreedyRepeatNode) || type == typeid(LazyRepeatNode)) {
      const auto& repeat = static_cast<const GreedyRepeatNode&>(node);
      return Fixed(*repeat.sub, repeat.fixed, Optional(*repeat.sub, repeat.extra, next));
    }
    throw NotRegular{};
  }

 private:
  int Add(NfaState state) {
    if (nfa_.states.size() >= limits::kMaxAutomatonStates) throw NotRegular{};
    nfa_.states.push_back(state);
    return static_cast<int>(nfa_.states.size()) - 1;
  }

  int Split(int first, int second) { return Add({NfaState::Kind::kSplit, first, second, -1}); }

  int SetIndex(const ByteSet& set) {
    const auto [it, added] = setIndex_.try_emplace(set, static_cast<int>(nfa_.byteSets.size()));
    if (added) nfa_.byteSets.push_back(set);
    return it->second;
  }

  int Bytes(const ByteSet& set, int next) {
    return Add({NfaState::Kind::kBytes, next, -1, SetIndex(set)});
  }

  // Each byte as a one-byte literal of the same case rule; probed once.
  int Literal(const LiteralNode& literal, int next) {
    if (literal.rightToLeft) throw NotRegular{};
    auto& known = literalSets_[literal.ignoreCase ? 1 : 0];
    for (auto it = literal.text.rbegin(); it != literal.text.rend(); ++it) {
      int& set = known[static_cast<unsigned char>(*it)];
      if (set < 0)
        set = SetIndex(ProbeBytes(LiteralNode(std::string(1, *it), false, literal.ignoreCase)));
      next = Add({NfaState::Kind::kBytes, next, -1, set});
    }
    return next;
  }

  int Fixed(const PatternNode& sub, int count, int next) {
    for (int i = 0; i < count; ++i) next = Build(sub, next);
    return next;
  }

  // Up to `extra` further copies of `sub`. One that matches empty is not
  // counted by the backtracker, which changes nothing about what a run of
  // copies can consume.
  int Optional(const PatternNode& sub, int extra, int next) {
    if (static_cast<std::size_t>(extra) >= limits::kMaxAutomatonStates) {
      nfa_.exactBelow = std::min(nfa_.exactBelow, static_cast<std::size_t>(extra));
      const int loop = Split(-1, next);
      const int body = Build(sub, loop);
      nfa_.states[static_cast<std::size_t>(loop)].next = body;
      return loop;
    }
    int entry = next;
    for (int i = 0; i < extra; ++i) entry = Split(Build(sub, entry), next);
    return entry;
  }

  ExistenceNfa& nfa_;
  std::unordered_map<ByteSet, int> setIndex_;
  std::array<std::array<int, 256>, 2> literalSets_ = Unprobed();
};

// Splits the 256 bytes into classes that every set takes whole or not at all.
void AssignByteClasses(ExistenceNfa& nfa) {
  int count = 1;
  for (const ByteSet& set : nfa.byteSets) {
    std::array<int, 512> renumber;
    renumber.fill(-1);
    count = 0;
    for (std::size_t byte = 0; byte < 256; ++byte) {
      const int key = nfa.byteClass[byte] * 2 + (set.test(byte) ? 1 : 0);
      int& id = renumber[static_cast<std::size_t>(key)];
      if (id < 0) id = count++;
      nfa.byteClass[byte] = static_cast<std::uint8_t>(id);
    }
  }
  nfa.classByte.assign(static_cast<std::size_t>(count), 0);
  for (int byte = 255; byte >= 0; --byte) {
    nfa.classByte[nfa.byteClass[static_cast<std::size_t>(byte)]] = static_cast<std::uint8_t>(byte);
  }
}

}  // namespace

std::optional<ExistenceNfa> BuildExistenceNfa(const CompiledTree& tree) {
  if (tree.top == nullptr || (tree.flags & PF_RIGHT_TO_LEFT) != 0) return std::nullopt;
  ExistenceNfa nfa;
  try {
    NfaBuilder builder(nfa);
    nfa.states.push_back({});  // the match state
    nfa.start = builder.Build(*tree.top, 0);
  } catch (const NotRegular&) {
    return std::nullopt;
  }
  AssignByteClasses(nfa);
  return nfa;
}

}  // namespace kv
