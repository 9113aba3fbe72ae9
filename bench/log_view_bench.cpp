// Cost of reading the activity log for the log view: ReadLogLines of logs
// of 2,000, 8,000 and 32,000 records as a scan writes them (a dated start
// line, paths, findings), from a real file in a temporary prefix. The time
// grows with the log's size, not its square: the handset's reader went
// back to the start of the file for every line.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "log/log_file.h"
#include "log/log_reader.h"
#include "platform/limits.h"
#include "support/temp_files.h"

namespace {

// `records` records in the log's layout: the mark, then CR LF before each.
std::string LogOf(int records) {
  std::string bytes = "\xFF\xFE";
  for (int i = 0; i < records; ++i) {
    std::string text = i % 3 == 0 ? "2024/6/11 09:04:00 Start Full scanning..."
                       : i % 3 == 1
                           ? "\\Storage Card\\Games\\setup" + std::to_string(i) + ".exe"
                           : "[" + std::to_string(i) + "].Found Trojan,Delete successfully:";
    bytes += std::string("\r\0\n\0", 4);
    for (const char c : text) bytes += {c, '\0'};
  }
  return bytes;
}

void BM_ReadLogLines(benchmark::State& state) {
  const kv::testing::TempPrefix prefix;
  const std::string log = LogOf(static_cast<int>(state.range(0)));
  prefix.WriteStoreFile("Runeskop.log", log);
  std::vector<std::u16string> lines;
  for (auto _ : state) {
    if (kv::ReadLogLines(prefix.Store(), kv::kLogPath, kv::limits::kLogViewLineUnits, lines) !=
            kv::LogReadStatus::kRead ||
        lines.size() != static_cast<std::size_t>(state.range(0))) {
      state.SkipWithError("the log did not read back whole");
      break;
    }
    benchmark::DoNotOptimize(lines.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(log.size()));
}
BENCHMARK(BM_ReadLogLines)->Arg(2000)->Arg(8000)->Arg(32000)->Unit(benchmark::kMillisecond);

}  // namespace
