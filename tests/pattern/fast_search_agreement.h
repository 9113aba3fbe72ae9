// Whether the fast search, the existence automaton and the required
// factors agree with the reference search on one case: shared by the
// differential tests and the fast_search fuzz target.
#pragma once

#include <algorithm>
#include <optional>
#include <string_view>

#include "pattern/compiled_pattern.h"
#include "pattern/existence_search.h"
#include "pattern/fast_search.h"
#include "pattern/pattern_facts.h"
#include "support/literal_occurs.h"

namespace kv::testing {

// The first disagreement found (null when there is none), and whether the
// automaton answered the case.
struct Agreement {
  const char* disagreement = nullptr;
  bool byAutomaton = false;
};

// Compares what `compiled` finds in `data` from `start` with `reference`,
// the reference search's result. The fast search is asked for the lowest
// budget there is, which it must raise to the reference's: where the
// reference answers, it must give the same status and spans; where the
// reference fails on a bound, it may answer, or fail the same way. From the
// start the automaton, where it takes the pattern, must answer and find a
// match exactly where the reference does (where that answers). A match
// must hold one of the pattern's required factors.
inline Agreement CompareWithReference(const CompiledPattern& compiled, const PatternFacts& facts,
                                      std::string_view data, int start,
                                      const SearchResult& reference) {
  const SearchResult fast = FastSearch(compiled, facts.start, data, start, nullptr, 1);
  if (reference.Failed() ? fast.Failed() && fast.status != reference.status : fast.Failed()) {
    return {"the fast search fails where the reference answers, or fails otherwise"};
  }
  if (!reference.Failed() && (fast.status != reference.status || fast.spans != reference.spans)) {
    return {"the fast search answers otherwise than the reference, spans included"};
  }
  Agreement agreement;
  if (const auto automaton = start == 0 ? ExistenceSearch::For(compiled) : nullptr) {
    const std::optional<SearchStatus> found = automaton->Find(data, facts.start, nullptr);
    if (found != SearchStatus::kMatch && found != SearchStatus::kNoMatch) {
      return {"the automaton does not answer a short buffer"};
    }
    if (!reference.Failed() && found != reference.status) {
      return {"the automaton finds a match otherwise than the reference"};
    }
    agreement.byAutomaton = !reference.Failed();
  }
  const auto occurs = [&](const LiteralFactor& f) { return Occurs(data, f.bytes, f.caseless); };
  if (reference.Matched() && facts.requiredFactors.has_value() &&
      std::none_of(facts.requiredFactors->begin(), facts.requiredFactors->end(), occurs)) {
    agreement.disagreement = "a match holds none of the required factors";
  }
  return agreement;
}

}  // namespace kv::testing
