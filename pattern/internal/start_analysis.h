// Where a match can start: the analysis behind StartFilter.
//
// A left-to-right match that consumes anything begins by consuming the byte
// at its start position, so that byte lies in the first-byte set of the
// top node (the usual FIRST set: a sequence's items up to the first that
// must consume, an alternation's alternatives, a repeat's sub node).
// Zero-width nodes (group marks, boundaries, lookaround, \G) consume
// nothing and are looked through. Whatever can match empty, or cannot be
// told (back-references, recursion, which may even consume leftwards,
// anything right-to-left), makes the whole pattern "every position".
// Better still is a literal every match holds at a fixed distance from its
// start: the search then jumps from one occurrence to the next.
#pragma once

#include "pattern/internal/compiled_tree.h"
#include "pattern/pattern_facts.h"

namespace kv {

StartFilter AnalyseStart(const CompiledTree& tree);

}  // namespace kv
