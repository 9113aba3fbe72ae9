// Cost of the reference pattern engine as the scan engine uses it:
// MatchPattern of representative signatures over a 1 MiB buffer that holds
// no match (every start position is tried, so this is the full cost of a
// clean file), the cost of compiling each signature, which is paid again
// for every file checked, and the memoized fast search of the shapes that
// used to run the reference out of its bounds, over 16 MiB that hold no
// match (a failure is reported as an error, never timed).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "bench/hostile_shapes.h"
#include "pattern/compiled_pattern.h"
#include "pattern/fast_search.h"
#include "pattern/match_pattern.h"
#include "pattern/pattern_facts.h"

namespace {

const char* const kSignatures[] = {
    "KESTRELVOX-BENCH-LITERAL",            // a literal
    "[A-Z]{8,}[0-9]{4}",                   // a class with a quantifier
    "(?i)trojan\\.horse",                  // a case-insensitive literal
    "backdoor|keylogger|dropper|rootkit",  // an alternation
};

// 1 MiB of fixed pseudo-random lower-case text with line breaks: no
// signature above occurs in it.
const std::string& CleanBuffer() {
  static const std::string buffer = [] {
    std::string bytes(1 << 20, ' ');
    std::uint32_t seed = 12345;
    for (char& c : bytes) {
      seed = seed * 1103515245u + 12345u;
      const std::uint32_t r = (seed >> 16) % 32;
      c = r < 26 ? static_cast<char>('a' + r) : (r < 31 ? ' ' : '\n');
    }
    return bytes;
  }();
  return buffer;
}

void BM_MatchPattern(benchmark::State& state) {
  const char* pattern = kSignatures[state.range(0)];
  const std::string& data = CleanBuffer();
  state.SetLabel(pattern);
  for (auto _ : state) {
    const int matched = kv::MatchPattern(pattern, data.data(), static_cast<int>(data.size()), 0);
    if (matched != 0) {
      state.SkipWithError("the clean buffer matched");
      break;
    }
    benchmark::DoNotOptimize(matched);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(data.size()));
}
BENCHMARK(BM_MatchPattern)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_Compile(benchmark::State& state) {
  const std::string pattern = kSignatures[state.range(0)];
  state.SetLabel(pattern);
  for (auto _ : state) {
    const kv::CompiledPattern compiled = kv::CompiledPattern::Compile(pattern);
    benchmark::DoNotOptimize(compiled.Tree());
  }
}
BENCHMARK(BM_Compile)->DenseRange(0, 3);

void BM_MemoizedFastSearch(benchmark::State& state) {
  const kv::bench::HostileShape& shape = kv::bench::kHostileShapes[state.range(0)];
  const std::string data(kv::bench::kHostileSubjectBytes, shape.filler);
  const kv::CompiledPattern compiled = kv::CompiledPattern::Compile(shape.pattern);
  const kv::PatternFacts facts = kv::AnalysePattern(compiled);
  state.SetLabel(shape.pattern);
  for (auto _ : state) {
    const kv::SearchResult result = kv::FastSearch(compiled, facts.start, data);
    if (result.status != kv::SearchStatus::kNoMatch) {
      state.SkipWithError(kv::DescribeSearchStatus(result.status));
      break;
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(data.size()));
}
BENCHMARK(BM_MemoizedFastSearch)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
