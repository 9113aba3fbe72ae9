// The scan dialog's progress values and line from scripted events.
#include "scan/scan_progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scan_recorders.h"

namespace kv::testing {
namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;

ScanStarted Started(ScanMode mode, std::size_t fileSignatures) {
  return ScanStarted{mode, {}, 1, 1, fileSignatures, 0};
}

TEST(ScanProgressTest, CountsFilesAgainstTheExpectedAndRatesTheBytesRead) {
  const FileChecking a{u"\\a.exe"};
  const FileChecking b{u"\\b.exe"};
  const Verdict clean = Verdict::Clean();
  const struct {
    const char* name;
    milliseconds elapsed;
    ProgressValues values;
    std::string line;
    std::vector<ScanEvent> events;
  } rows[] = {
      // clang-format off
      {"full scan, counted", 2000ms, {1, 4, 25, 1.5, 2s}, "1 of 4 files   1.5 MB/s   0:02",
       {Started(ScanMode::kFull, 9), ScanCounted{4}, a, FileVerdict{a.path, clean, {}, 3'000'000}}},
      {"full scan before its count", 0ms, {1, std::nullopt, std::nullopt, 0, 0s},
       "1 files   0.0 MB/s   0:00", {Started(ScanMode::kFull, 9), a}},
      {"fast scan: the file signatures", 61500ms, {2, 8, 25, 0, 61s},
       "2 of 8 files   0.0 MB/s   1:01", {Started(ScanMode::kFast, 8), a, b}},
      {"more files than counted", 1000ms, {2, 2, 100, 0, 1s}, "2 of 2 files   0.0 MB/s   0:01",
       {Started(ScanMode::kFull, 0), ScanCounted{1}, a, b}},
      {"memory scan finished", 1000ms, {0, std::nullopt, 100, 0, 1s}, "0 files   0.0 MB/s   0:01",
       {Started(ScanMode::kMemory, 5), ScanFinished{}}},
      {"an empty store", 1000ms, {0, 0, 0, 0, 1s}, "0 of 0 files   0.0 MB/s   0:01",
       {Started(ScanMode::kFull, 0), ScanCounted{0}}},
      // clang-format on
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ScanProgress progress;
    for (const ScanEvent& event : row.events) progress.Add(event);
    const ProgressValues values = progress.Values(row.elapsed);
    EXPECT_EQ(values, row.values);
    EXPECT_EQ(Utf8(ProgressLine(values)), row.line);
  }
}

}  // namespace
}  // namespace kv::testing
