// RequiredFactors: a bottom-up walk of the tree. Sets are kept small
// (kMaxExactTexts texts of at most kMaxFactorBytes), which bounds the work
// per node; when a join would exceed that, the run of joined items ends
// there and a new one starts.
#include "pattern/internal/factor_analysis.h"

#include <algorithm>
#include <cstddef>

#include "pattern/internal/char_types.h"
#include "pattern/internal/class_bytes.h"
#include "pattern/internal/nodes_control.h"
#include "pattern/internal/nodes_group.h"
#include "pattern/internal/nodes_leaf.h"
#include "pattern/internal/nodes_repeat.h"

namespace kv {
namespace {

constexpr std::size_t kMaxExactTexts = 16;
constexpr std::size_t kMaxFactorBytes = 64;
constexpr std::size_t kMaxRequiredFactors = 64;
constexpr std::size_t kMaxClassBytes = 8;
constexpr int kMaxExpandedRepeat = 4;

struct NodeFactors {
  std::optional<FactorSet> exact;     // every text the node can consume
  std::optional<FactorSet> required;  // one of them occurs where it matches
};

bool HasLetter(const std::string& bytes) {
  return std::any_of(bytes.begin(), bytes.end(), [](char c) { return chartype::IsAlpha(c); });
}

LiteralFactor MakeFactor(std::string bytes, bool caseless) {
  caseless = caseless && HasLetter(bytes);
  if (caseless) {
    for (char& c : bytes) c = static_cast<char>(chartype::ToLower(c));
  }
  return {std::move(bytes), caseless};
}

// Adds `factor` unless present; false when that would exceed `limit`.
bool AddFactor(FactorSet& set, LiteralFactor factor, std::size_t limit) {
  if (std::find(set.begin(), set.end(), factor) != set.end()) return true;
  if (set.size() >= limit) return false;
  set.push_back(std::move(factor));
  return true;
}

std::optional<FactorSet> Union(const FactorSet& a, const FactorSet& b, std::size_t limit) {
  FactorSet out = a;
  for (const LiteralFactor& factor : b) {
    if (!AddFactor(out, factor, limit)) return std::nullopt;
  }
  return out;
}

// Every text of `a` followed by every text of `b`.
std::optional<FactorSet> Join(const FactorSet& a, const FactorSet& b) {
  FactorSet out;
  for (const LiteralFactor& left : a) {
    for (const LiteralFactor& right : b) {
      if (left.bytes.size() + right.bytes.size() > kMaxFactorBytes) return std::nullopt;
      if (!AddFactor(out, MakeFactor(left.bytes + right.bytes, left.caseless || right.caseless),
                     kMaxExactTexts)) {
        return std::nullopt;
      }
    }
  }
  return out;
}

// An exact set as a required one: useless when it holds the empty text.
std::optional<FactorSet> AsRequired(const std::optional<FactorSet>& exact) {
  if (!exact.has_value()) return std::nullopt;
  for (const LiteralFactor& factor : *exact) {
    if (factor.bytes.empty()) return std::nullopt;
  }
  return exact;
}

// Keeps in `best` the better of the two: the one whose shortest literal is
// longest (rarer in data), then the one with fewer literals. An empty set
// (never matches) beats everything.
void KeepBetter(std::optional<FactorSet>& best, const std::optional<FactorSet>& other) {
  if (!other.has_value()) return;
  if (!best.has_value()) {
    best = other;
    return;
  }
  auto shortest = [](const FactorSet& set) {
    std::size_t least = kMaxFactorBytes + 1;
    for (const LiteralFactor& factor : set) least = std::min(least, factor.bytes.size());
    return least;
  };
  const std::size_t mine = shortest(*best);
  const std::size_t theirs = shortest(*other);
  if (theirs > mine || (theirs == mine && other->size() < best->size())) best = other;
}

NodeFactors Analyse(const PatternNode* node);

NodeFactors ZeroWidth() { return {FactorSet{LiteralFactor{}}, std::nullopt}; }

NodeFactors Exactly(FactorSet exact) {
  NodeFactors factors{std::move(exact), std::nullopt};
  factors.required = AsRequired(factors.exact);
  return factors;
}

NodeFactors OfClass(const PatternNode& node) {
  const ByteSet bytes = AcceptedBytes(node);
  FactorSet exact;
  for (int value = 0; value < 256; ++value) {
    if (!bytes.test(static_cast<std::size_t>(value))) continue;
    const int other =
        chartype::IsUpper(value) ? chartype::ToLower(value) : chartype::ToUpper(value);
    const bool bothCases = other != value && bytes.test(static_cast<std::size_t>(other));
    if (!AddFactor(exact, MakeFactor(std::string(1, static_cast<char>(value)), bothCases),
                   kMaxClassBytes)) {
      return {};
    }
  }
  return Exactly(std::move(exact));
}

NodeFactors OfSequence(const std::vector<const PatternNode*>& items) {
  std::optional<FactorSet> best;
  FactorSet run{LiteralFactor{}};
  bool whole = true;
  for (const PatternNode* item : items) {
    const NodeFactors factors = Analyse(item);
    KeepBetter(best, factors.required);
    std::optional<FactorSet> joined;
    if (factors.exact.has_value()) joined = Join(run, *factors.exact);
    if (joined.has_value()) {
      run = std::move(*joined);
      continue;
    }
    KeepBetter(best, AsRequired(run));
    whole = false;
    run = factors.exact.value_or(FactorSet{LiteralFactor{}});
  }
  KeepBetter(best, AsRequired(run));
  return {whole ? std::optional<FactorSet>(run) : std::nullopt, best};
}

NodeFactors OfAlternatives(const std::vector<const PatternNode*>& items) {
  std::optional<FactorSet> exact = FactorSet{};
  std::optional<FactorSet> required = FactorSet{};
  for (const PatternNode* item : items) {
    const NodeFactors factors = Analyse(item);
    if (exact.has_value()) {
      exact =
          factors.exact.has_value() ? Union(*exact, *factors.exact, kMaxExactTexts) : std::nullopt;
    }
    if (required.has_value()) {
      required = factors.required.has_value()
                     ? Union(*required, *factors.required, kMaxRequiredFactors)
                     : std::nullopt;
    }
  }
  KeepBetter(required, AsRequired(exact));
  return {exact, required};
}

NodeFactors OfRepeat(const RepeatNode& repeat) {
  const auto* variable = NodeAs<GreedyRepeatNode>(&repeat);
  const int extra = variable != nullptr ? variable->extra : 0;
  const NodeFactors sub = Analyse(repeat.sub);
  NodeFactors factors;
  if (repeat.fixed >= 1) factors.required = sub.required;
  if (!sub.exact.has_value()) return factors;
  // The texts of `fixed` copies, then of each further optional copy.
  std::optional<FactorSet> copies = FactorSet{LiteralFactor{}};
  for (int i = 0; i < repeat.fixed && copies.has_value(); ++i) copies = Join(*copies, *sub.exact);
  KeepBetter(factors.required, AsRequired(copies));
  if (extra > kMaxExpandedRepeat || !copies.has_value()) return factors;
  std::optional<FactorSet> exact = copies;
  for (int i = 0; i < extra && exact.has_value(); ++i) {
    copies = Join(*copies, *sub.exact);
    exact = copies.has_value() ? Union(*exact, *copies, kMaxExactTexts) : std::nullopt;
  }
  factors.exact = exact;
  KeepBetter(factors.required, AsRequired(exact));
  return factors;
}

NodeFactors Analyse(const PatternNode* node) {
  if (node == nullptr) return ZeroWidth();  // a missing conditional branch matches empty
  if (NodeAs<EmptyNode>(node) != nullptr || NodeAs<GroupMarkNode>(node) != nullptr ||
      NodeAs<BoundaryNode>(node) != nullptr || NodeAs<SearchStartNode>(node) != nullptr) {
    return ZeroWidth();
  }
  if (const auto* literal = NodeAs<LiteralNode>(node)) {
    return Exactly({MakeFactor(literal->text, literal->ignoreCase)});
  }
  if (IsOneByteNode(*node)) return OfClass(*node);
  if (const auto* sequence = NodeAs<SequenceNode>(node)) {
    return OfSequence(sequence->items);
  }
  if (const auto* alternation = NodeAs<AlternationNode>(node)) {
    if (alternation->items.empty()) return ZeroWidth();
    return OfAlternatives(alternation->items);
  }
  if (const auto* repeat = NodeAs<RepeatNode>(node)) return OfRepeat(*repeat);
  if (const auto* lookaround = NodeAs<LookaroundNode>(node)) {
    NodeFactors factors = ZeroWidth();
    if (lookaround->positive) factors.required = Analyse(lookaround->sub).required;
    return factors;
  }
  if (const auto* atomic = NodeAs<AtomicGroupNode>(node)) return Analyse(atomic->sub);
  if (const auto* conditional = NodeAs<ConditionalNode>(node)) {
    return OfAlternatives({conditional->yes, conditional->no});
  }
  return {};  // back-references, recursion
}

}  // namespace

std::optional<FactorSet> RequiredFactors(const PatternNode& top) { return Analyse(&top).required; }

}  // namespace kv
