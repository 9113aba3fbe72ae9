// LiteralPrefilter: one pass over a buffer with the required literals of
// every character signature at once, telling which signatures may match.
//
// Built once per database load from the signatures' PatternFacts and kept in
// the snapshot, read-only, so any number of threads may use it at once. A
// signature whose literals occur nowhere in the buffer cannot match it and
// is not searched; a signature with no literals (the analysis could not
// tell) is always a candidate; one whose literal list is empty (it can
// match nothing) never is. The multi-literal search is LiteralSetSearch.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "pattern/literal_set_search.h"
#include "pattern/pattern_facts.h"

namespace kv {

class LiteralPrefilter {
 public:
  // A prefilter that makes every signature a candidate.
  LiteralPrefilter() = default;

  // For the signatures whose facts are `facts`, in list order.
  static LiteralPrefilter Build(const std::vector<PatternFacts>& facts);

  // Sets `candidates[i]` to 1 for each signature i that may match `data`,
  // 0 for the others; `candidates` is resized to the signature count.
  void FindCandidates(std::string_view data, std::vector<std::uint8_t>& candidates) const;

 private:
  std::vector<std::uint8_t> alwaysCandidate_;  // 1: no literals known
  LiteralSetSearch search_;
};

}  // namespace kv
