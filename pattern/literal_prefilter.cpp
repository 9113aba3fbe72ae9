// LiteralPrefilter: the required literals of all signatures in one
// LiteralSetSearch, each owned by its signature.
#include "pattern/literal_prefilter.h"

namespace kv {

LiteralPrefilter LiteralPrefilter::Build(const std::vector<PatternFacts>& facts) {
  LiteralPrefilter prefilter;
  prefilter.alwaysCandidate_.assign(facts.size(), 1);
  std::vector<OwnedLiteral> literals;
  for (std::size_t i = 0; i < facts.size(); ++i) {
    if (!facts[i].requiredFactors.has_value()) continue;
    prefilter.alwaysCandidate_[i] = 0;
    for (const LiteralFactor& factor : *facts[i].requiredFactors) {
      literals.push_back({factor.bytes, factor.caseless, static_cast<std::uint32_t>(i)});
    }
  }
  prefilter.search_ = LiteralSetSearch(std::move(literals));
  return prefilter;
}

void LiteralPrefilter::FindCandidates(std::string_view data,
                                      std::vector<std::uint8_t>& candidates) const {
  candidates = alwaysCandidate_;
  search_.MarkOwners(data, candidates);
}

}  // namespace kv
