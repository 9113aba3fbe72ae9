// Fuzz target: the pattern compiler and the search, on one input split as
//   byte 0: pattern length (cut to what follows byte 1);
//   byte 1: compile flags in the low 6 bits; the top 2 bits pick the search
//           start: 0, -1 (the default end), the middle or the end of the data;
//   then the pattern bytes, then the data (at most kMaxData bytes, so that
//   even a search that spends its whole step budget stays short).
// Pattern and data sit in buffers of exactly their size, so a read past the
// given length is caught. A failed search (a bound exceeded) is an allowed
// outcome; a match must be well formed, and a second search of the same
// compiled tree must give the same answer.
#include <algorithm>
#include <cstdint>
#include <memory>

#include "fuzz/fuzz_target.h"
#include "pattern/compiled_pattern.h"

namespace kv::fuzz {
namespace {

constexpr std::size_t kMaxData = 256;

std::unique_ptr<char[]> ExactCopy(const std::uint8_t* bytes, std::size_t size) {
  auto copy = std::make_unique<char[]>(size);  // never null, even when empty
  std::copy(bytes, bytes + size, copy.get());
  return copy;
}

void CheckSpans(const kv::MatchSpans& spans, int highestGroup, int length) {
  if (!spans.IsMatched()) return;
  Require(highestGroup >= 0 && spans.groups.size() == static_cast<std::size_t>(highestGroup) + 1,
          "a match holds one span per group");
  for (std::size_t i = 0; i < spans.groups.size(); ++i) {
    const kv::GroupSpan& span = spans.groups[i];
    const bool unset = i > 0 && span.start == -1 && span.end == -1;  // group 0 is always set
    Require(unset || (0 <= span.start && span.start <= span.end && span.end <= length),
            "a group is unset or an ordered span inside the data");
  }
}

}  // namespace
}  // namespace kv::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t patternSize = std::min<std::size_t>(data[0], size - 2);
  const std::size_t dataSize = std::min(size - 2 - patternSize, kv::fuzz::kMaxData);
  const auto pattern = kv::fuzz::ExactCopy(data + 2, patternSize);
  const auto text = kv::fuzz::ExactCopy(data + 2 + patternSize, dataSize);
  const int length = static_cast<int>(dataSize);
  const int starts[] = {0, -1, length / 2, length};
  const int start = starts[data[1] >> 6];

  const std::string_view patternText(pattern.get(), patternSize);
  const std::string_view dataText(text.get(), dataSize);
  const kv::CompiledPattern compiled = kv::CompiledPattern::Compile(patternText, data[1] & 0x3f);
  const kv::SearchResult first = compiled.Search(dataText, start);
  kv::fuzz::CheckSpans(first.spans, compiled.HighestGroup(), length);
  kv::fuzz::Require(first.Matched() == first.spans.IsMatched(), "spans are set for a match only");
  const kv::SearchResult again = compiled.Search(dataText, start);
  kv::fuzz::Require(again.status == first.status && again.spans == first.spans,
                    "a search does not change the next search's answer");
  return 0;
}
