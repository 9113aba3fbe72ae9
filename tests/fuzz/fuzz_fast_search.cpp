// Fuzz target: the pattern compiler, the reference search and FastSearch
// against it, on one input split as
//   byte 0: pattern length (cut to what follows byte 2);
//   byte 1: compile flags in the low 6 bits; the top 2 bits pick the search
//           start: 0, -1 (the default end), the middle or the end of the data;
//   byte 2: which required literal of the pattern to plant in the data, and
//           where, so that the prefilter's literals are met often;
//   then the pattern bytes, then the data (at most kMaxData bytes, so that
//   even a search that spends its whole step budget stays short).
// Pattern and data sit in buffers of exactly their size, so a read past the
// given length is caught. A failed reference search (a bound exceeded) is
// an allowed outcome; a match must be well formed and hold one of the
// pattern's required literals, and searching the same compiled tree again
// must give the same answer. The fast search is asked for the lowest budget
// there is, which it must raise to the reference's: where the reference
// answers, it must give the same status and spans (a failure is a
// disagreement); where the reference fails on a bound, it may answer, or
// fail the same way. A search from the start is also asked of the existence
// automaton, when it takes the pattern: it must not fail, and must find a
// match exactly where the reference does (where that answers). These
// comparisons are the differential tests' own (fast_search_agreement.h).
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "fuzz/fuzz_target.h"
#include "pattern/compiled_pattern.h"
#include "pattern/fast_search_agreement.h"
#include "pattern/pattern_facts.h"

namespace kv::fuzz {
namespace {

constexpr std::size_t kMaxData = 256;

// Inserts one of the pattern's required literals into `data`.
void Plant(const PatternFacts& facts, std::uint8_t choice, std::string& data) {
  if (!facts.requiredFactors.has_value() || facts.requiredFactors->empty()) return;
  const auto& factors = *facts.requiredFactors;
  const std::string& literal = factors[choice % factors.size()].bytes;
  data.insert(std::min<std::size_t>(choice / 4u, data.size()), literal);
}

std::unique_ptr<char[]> ExactCopy(std::string_view bytes) {
  auto copy = std::make_unique<char[]>(bytes.size());  // never null, even when empty
  std::copy(bytes.begin(), bytes.end(), copy.get());
  return copy;
}

void CheckSpans(const MatchSpans& spans, int highestGroup, int length) {
  if (!spans.IsMatched()) return;
  Require(highestGroup >= 0 && spans.groups.size() == static_cast<std::size_t>(highestGroup) + 1,
          "a match holds one span per group");
  for (std::size_t i = 0; i < spans.groups.size(); ++i) {
    const GroupSpan& span = spans.groups[i];
    const bool unset = i > 0 && span.start == -1 && span.end == -1;  // group 0 is always set
    Require(unset || (0 <= span.start && span.start <= span.end && span.end <= length),
            "a group is unset or an ordered span inside the data");
  }
}

}  // namespace
}  // namespace kv::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kv::fuzz::Require;
  if (size < 3) return 0;
  const char* const bytes = reinterpret_cast<const char*>(data);
  const std::size_t patternSize = std::min<std::size_t>(data[0], size - 3);
  const auto patternCopy = kv::fuzz::ExactCopy({bytes + 3, patternSize});
  const kv::CompiledPattern compiled =
      kv::CompiledPattern::Compile({patternCopy.get(), patternSize}, data[1] & 0x3f);
  const kv::PatternFacts facts = kv::AnalysePattern(compiled);
  std::string planted(bytes + 3 + patternSize,
                      std::min(size - 3 - patternSize, kv::fuzz::kMaxData));
  kv::fuzz::Plant(facts, data[2], planted);
  const auto textCopy = kv::fuzz::ExactCopy(planted);
  const std::string_view text(textCopy.get(), planted.size());
  const int length = static_cast<int>(text.size());
  const int starts[] = {0, -1, length / 2, length};
  const int start = starts[data[1] >> 6];

  const kv::SearchResult reference = compiled.Search(text, start);
  kv::fuzz::CheckSpans(reference.spans, compiled.HighestGroup(), length);
  Require(reference.Matched() == reference.spans.IsMatched(), "spans are set for a match only");
  const char* const disagreement =
      kv::testing::CompareWithReference(compiled, facts, text, start, reference).disagreement;
  Require(disagreement == nullptr, disagreement);
  const kv::SearchResult again = compiled.Search(text, start);
  Require(again.status == reference.status && again.spans == reference.spans,
          "a search does not change the next search's answer");
  return 0;
}
