// BuildExistenceNfa: the tree is compiled from its end, each node given the
// state its match continues to, so a sequence needs no patching (the
// mirror image is compiled from its start). A counted
// repeat is unrolled (its optional copies nested, `(X(X)?)?`); the state
// cap ends an unrolling that grows too large.
#include "pattern/internal/existence_nfa.h"

#include <bit>
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
  if (const auto* posix = NodeAs<PosixClassNode>(&node)) return !posix->rightToLeft;
  const auto* cls = NodeAs<CharClassNode>(&node);
  if (cls == nullptr || cls->rightToLeft) return false;
  for (const PatternNode* inner : cls->embedded) {
    if (!IsForwardClass(*inner)) return false;
  }
  return true;
}

// What each byte matches as a one-byte literal, exact (row 0) or caseless
// (row 1): probed once for the whole process.
const std::array<std::array<ByteSet, 256>, 2>& LiteralByteSets() {
  static const auto sets = [] {
    std::array<std::array<ByteSet, 256>, 2> probed;
    for (int caseless = 0; caseless < 2; ++caseless) {
      for (int value = 0; value < 256; ++value) {
        const LiteralNode single(std::string(1, static_cast<char>(value)), false, caseless != 0);
        probed[static_cast<std::size_t>(caseless)][static_cast<std::size_t>(value)] =
            ProbeBytes(single);
      }
    }
    return probed;
  }();
  return sets;
}

class NfaBuilder {
 public:
  NfaBuilder(ExistenceNfa& nfa, bool reversed) : nfa_(nfa), reversed_(reversed) {}

  // The entry state of `node` followed by state `next`.
  int Build(const PatternNode& node, int next) {
    const std::type_info& type = typeid(node);
    if (type == typeid(EmptyNode) || type == typeid(GroupMarkNode)) return next;
    if (type == typeid(LiteralNode)) return Literal(static_cast<const LiteralNode&>(node), next);
    if (IsForwardClass(node)) return Class(node, next);
    if (type == typeid(SequenceNode)) {
      const auto& sequence = static_cast<const SequenceNode&>(node);
      if (sequence.rightToLeft) throw NotRegular{};
      return InOrder(sequence.items, next,
                     [&](const PatternNode* item, int after) { return Build(*item, after); });
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

  int Literal(const LiteralNode& literal, int next) {
    if (literal.rightToLeft) throw NotRegular{};
    const auto& sets = LiteralByteSets()[literal.ignoreCase ? 1 : 0];
    return InOrder(literal.text, next, [&](char byte, int after) {
      return Bytes(sets[static_cast<unsigned char>(byte)], after);
    });
  }

  // A class's set, probed once however often a repeat copies the class.
  int Class(const PatternNode& node, int next) {
    const auto [it, added] = classSets_.try_emplace(&node, -1);
    if (added) it->second = SetIndex(ProbeBytes(node));
    return Add({NfaState::Kind::kBytes, next, -1, it->second});
  }

  // Builds the parts of a sequence so that the part read first comes
  // first: from the last part back, or for the mirror image from the first.
  template <typename Parts, typename BuildPart>
  int InOrder(const Parts& parts, int next, BuildPart buildPart) {
    if (reversed_) {
      for (auto it = parts.begin(); it != parts.end(); ++it) next = buildPart(*it, next);
    } else {
      for (auto it = parts.rbegin(); it != parts.rend(); ++it) next = buildPart(*it, next);
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
  const bool reversed_;
  std::unordered_map<ByteSet, int> setIndex_;
  std::unordered_map<const PatternNode*, int> classSets_;
};

// Splits the 256 bytes into classes that every set takes whole or not at
// all: each set splits the classes it cuts through.
void AssignByteClasses(ExistenceNfa& nfa) {
  std::vector<ByteSet> classes{ByteSet().set()};
  for (const ByteSet& set : nfa.byteSets) {
    const std::size_t count = classes.size();
    for (std::size_t i = 0; i < count; ++i) {
      const ByteSet inside = classes[i] & set;
      if (inside.none() || inside == classes[i]) continue;
      classes.push_back(classes[i] & ~set);
      classes[i] = inside;
    }
  }
  nfa.classByte.assign(classes.size(), 0);
  const ByteSet lowWord(~std::uint64_t{0});
  for (std::size_t id = 0; id < classes.size(); ++id) {
    for (std::size_t word = 0; word < 4; ++word) {
      std::uint64_t bits = ((classes[id] >> (64 * word)) & lowWord).to_ullong();
      for (; bits != 0; bits &= bits - 1) {
        const std::size_t byte = 64 * word + static_cast<std::size_t>(std::countr_zero(bits));
        nfa.byteClass[byte] = static_cast<std::uint8_t>(id);
        nfa.classByte[id] = static_cast<std::uint8_t>(byte);
      }
    }
  }
}

// The exact literal every match of `node` ends with, or "" when none is
// known: the last part of a sequence, capture marks and empty parts aside.
std::string RequiredSuffix(const PatternNode& node) {
  if (const auto* literal = NodeAs<LiteralNode>(&node)) {
    return literal->ignoreCase ? std::string() : literal->text;
  }
  const auto* sequence = NodeAs<SequenceNode>(&node);
  if (sequence == nullptr) return {};
  for (auto it = sequence->items.rbegin(); it != sequence->items.rend(); ++it) {
    const PatternNode& part = **it;
    const std::type_info& type = typeid(part);
    if (type != typeid(GroupMarkNode) && type != typeid(EmptyNode)) return RequiredSuffix(part);
  }
  return {};
}

}  // namespace

std::optional<ExistenceNfa> BuildExistenceNfa(const CompiledTree& tree, bool reversed) {
  if (tree.top == nullptr || (tree.flags & PF_RIGHT_TO_LEFT) != 0) return std::nullopt;
  ExistenceNfa nfa;
  try {
    NfaBuilder builder(nfa, reversed);
    nfa.states.push_back({});  // the match state
    nfa.start = builder.Build(*tree.top, 0);
  } catch (const NotRegular&) {
    return std::nullopt;
  }
  AssignByteClasses(nfa);
  nfa.suffix = RequiredSuffix(*tree.top);
  return nfa;
}

}  // namespace kv
