// Fuzz target: the pattern compiler and the search, on one input split as
//   byte 0: pattern length (cut to what follows byte 1);
//   byte 1: compile flags in the low 6 bits; the top 2 bits pick the search
//           start: 0, -1 (the default end), the middle or the end of the data;
//   then the pattern bytes, then the data (at most kMaxData bytes, so that
//   even a search that spends its whole step budget stays short).
// Pattern and data sit in buffers of exactly their size, so a read past the
// given length is caught. PatternEngineFailure is an allowed outcome; a
// match must be well formed, and a second search of the same compiled tree
// must give the same answer and leave the tree as it was.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz/fuzz_target.h"
#include "pattern/engine_failure.h"
#include "pattern/pattern_compiler.h"

namespace kv::fuzz {
namespace {

constexpr std::size_t kMaxData = 256;

std::unique_ptr<char[]> ExactCopy(const std::uint8_t* bytes, std::size_t size) {
  auto copy = std::make_unique<char[]>(size);  // never null, even when empty
  std::copy(bytes, bytes + size, copy.get());
  return copy;
}

void CheckSpans(const MatchSpans& spans, int highestGroup, int length) {
  if (spans.empty()) return;
  Require(highestGroup >= 0 && spans.size() == 2 * static_cast<std::size_t>(highestGroup) + 4 &&
              spans[0] == 1 && spans[1] == highestGroup,
          "a match holds 1, the group count, and two ints per group plus two");
  for (std::size_t i = 2; i < spans.size(); i += 2) {
    const bool unset = i > 2 && spans[i] == -1 && spans[i + 1] == -1;  // group 0 is always set
    Require(unset || (0 <= spans[i] && spans[i] <= spans[i + 1] && spans[i + 1] <= length),
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

  kv::PatternCompiler compiler;
  bool searched = false;
  try {
    compiler.Compile(pattern.get(), static_cast<int>(patternSize), data[1] & 0x3f);
    const std::string dump = compiler.Dump();
    const kv::MatchSpans first = compiler.Search(text.get(), length, start);
    kv::fuzz::CheckSpans(first, compiler.HighestGroup(), length);
    searched = true;
    kv::fuzz::Require(
        compiler.Search(text.get(), length, start) == first && compiler.Dump() == dump,
        "a search changes neither the tree nor the next search's answer");
  } catch (const kv::PatternEngineFailure&) {
    kv::fuzz::Require(!searched, "a search that ended within its bounds does so again");
  }
  return 0;
}
