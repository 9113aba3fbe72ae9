// The literal pass alone, both ways LiteralSetSearch can go: the required
// literals of the first 10, 100 and 1000 synthetic signatures over the
// files of a small synthetic store held in memory (so the disk is out of
// it), MB/s of the files. The vector way runs only where the processor has
// it; elsewhere both rows measure the sliding window.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench/corpus/synthetic_store.h"
#include "pattern/compiled_pattern.h"
#include "pattern/literal_set_search.h"
#include "pattern/pattern_facts.h"

namespace {

const std::vector<kv::synthetic::SyntheticSignature>& Signatures() {
  static const auto signatures = kv::synthetic::MakeSignatures(1000, 2026);
  return signatures;
}

const std::vector<kv::synthetic::StoreFile>& Store() {
  static const auto files = [] {
    kv::synthetic::StoreOptions options;
    options.files = 60;
    options.largestFile = std::size_t{1024} * 1024;
    options.plantedPercent = 15;
    return kv::synthetic::MakeStore(options, Signatures(), 2027);
  }();
  return files;
}

// The required literals of the first `count` signatures, each owned by its
// signature.
std::vector<kv::OwnedLiteral> Literals(std::size_t count) {
  std::vector<kv::OwnedLiteral> literals;
  for (std::size_t i = 0; i < count; ++i) {
    const kv::PatternFacts facts =
        kv::AnalysePattern(kv::CompiledPattern::Compile(Signatures()[i].pattern));
    if (!facts.requiredFactors.has_value()) continue;
    for (const kv::LiteralFactor& factor : *facts.requiredFactors) {
      literals.push_back({factor.bytes, factor.caseless, static_cast<std::uint32_t>(i)});
    }
  }
  return literals;
}

void BM_LiteralPass(benchmark::State& state) {
  const auto count = static_cast<std::size_t>(state.range(0));
  const auto route = static_cast<kv::LiteralRoute>(state.range(1));
  const kv::LiteralSetSearch search(Literals(count), route);
  const char* const labels[] = {"fastest", "vector at 32 bytes", "sliding window"};
  state.SetLabel(labels[static_cast<int>(route)]);
  std::vector<std::uint8_t> marks;
  std::int64_t bytes = 0;
  for (auto _ : state) {
    for (const kv::synthetic::StoreFile& file : Store()) {
      marks.assign(count, 0);
      search.MarkOwners(file.content, marks);
      benchmark::DoNotOptimize(marks.data());
      bytes += static_cast<std::int64_t>(file.content.size());
    }
  }
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_LiteralPass)
    ->ArgsProduct({{10, 100, 1000},
                   {static_cast<int>(kv::LiteralRoute::kFastest),
                    static_cast<int>(kv::LiteralRoute::kNarrowVector),
                    static_cast<int>(kv::LiteralRoute::kSlidingWindow)}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
