// Fuzz target: FastSearch against the reference search, on one input split
// as
//   byte 0: pattern length (cut to what follows byte 2);
//   byte 1: compile flags in the low 6 bits; the top 2 bits pick the search
//           start: 0, -1 (the default end), the middle or the end of the data;
//   byte 2: which required literal of the pattern to plant in the data, and
//           where, so that the prefilter's literals are met often;
//   then the pattern bytes, then the data (at most kMaxData bytes).
// The fast search is asked for the lowest budget there is, which it must
// raise to the reference's. Where the reference answers, the fast search
// must give the same status and spans (a failure is a disagreement); where
// the reference fails on a bound, the fast search may answer, or fail the
// same way. A reference match must hold one of the
// pattern's required literals.
#include <algorithm>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_target.h"
#include "pattern/compiled_pattern.h"
#include "pattern/fast_search.h"
#include "pattern/pattern_facts.h"

namespace kv::fuzz {
namespace {

constexpr std::size_t kMaxData = 256;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool Occurs(const std::string& data, const kv::LiteralFactor& factor) {
  const auto same = [&](char a, char b) { return factor.caseless ? Lower(a) == Lower(b) : a == b; };
  return std::search(data.begin(), data.end(), factor.bytes.begin(), factor.bytes.end(), same) !=
         data.end();
}

// Inserts one of the pattern's required literals into `data`.
void Plant(const kv::PatternFacts& facts, std::uint8_t choice, std::string& data) {
  if (!facts.requiredFactors.has_value() || facts.requiredFactors->empty()) return;
  const auto& factors = *facts.requiredFactors;
  const std::string& literal = factors[choice % factors.size()].bytes;
  data.insert(std::min<std::size_t>(choice / 4u, data.size()), literal);
}

}  // namespace
}  // namespace kv::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kv::fuzz::Require;
  if (size < 3) return 0;
  const std::size_t patternSize = std::min<std::size_t>(data[0], size - 3);
  const std::string pattern(reinterpret_cast<const char*>(data) + 3, patternSize);
  std::string text(reinterpret_cast<const char*>(data) + 3 + patternSize,
                   std::min(size - 3 - patternSize, kv::fuzz::kMaxData));
  const kv::CompiledPattern compiled = kv::CompiledPattern::Compile(pattern, data[1] & 0x3f);
  const kv::PatternFacts facts = kv::AnalysePattern(compiled);
  kv::fuzz::Plant(facts, data[2], text);
  const int length = static_cast<int>(text.size());
  const int starts[] = {0, -1, length / 2, length};
  const int start = starts[data[1] >> 6];

  const kv::SearchResult reference = compiled.Search(text, start);
  const kv::SearchResult fast = kv::FastSearch(compiled, facts.start, text, start, nullptr, 1);
  if (reference.Failed()) {
    Require(!fast.Failed() || fast.status == reference.status,
            "the fast search fails only as the reference does");
  } else {
    Require(!fast.Failed(), "the fast search fails nowhere the reference answers");
    Require(fast.status == reference.status && fast.spans == reference.spans,
            "the fast search answers as the reference, spans included");
  }
  if (reference.Matched() && facts.requiredFactors.has_value()) {
    const auto& factors = *facts.requiredFactors;
    Require(std::any_of(factors.begin(), factors.end(),
                        [&](const kv::LiteralFactor& f) { return kv::fuzz::Occurs(text, f); }),
            "a match holds one of the required literals");
  }
  return 0;
}
