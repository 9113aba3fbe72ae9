// Required literal factors: a set of literals of which at least one occurs
// in any buffer a node matches, or "cannot tell".
//
// Each node yields two things: the exact texts it can consume, while they
// are few and short (a literal, a small class, a short alternation or
// counted repeat of those, zero-width nodes consuming ""), and its best
// required set. A sequence joins the exact texts of neighbouring items
// into longer ones and may take the required set of any single item, since
// every item must match; an alternation needs one from every alternative.
// Positive lookaround content must match too, so its factors count;
// negative lookaround, optional and repeated-from-zero parts, back-
// references and recursion give nothing.
#pragma once

#include <optional>
#include <vector>

#include "pattern/internal/pattern_node.h"
#include "pattern/pattern_facts.h"

namespace kv {

using FactorSet = std::vector<LiteralFactor>;

// The required factors of `top` (null: cannot tell; empty: never matches).
std::optional<FactorSet> RequiredFactors(const PatternNode& top);

}  // namespace kv
