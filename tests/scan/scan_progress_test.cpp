// The scan dialog's progress values and line from scripted events.
#include "scan/scan_progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scan_recorders.h"

namespace kv::testing {
namespace {

using std::chrono::milliseconds;

ScanStarted Started(ScanMode mode, std::size_t fileSignatures) {
  return ScanStarted{mode, {}, 1, 1, fileSignatures, 0};
}

TEST(ScanProgressTest, CountsFilesAgainstTheExpectedAndRatesTheBytesRead) {
  const struct {
    const char* name;
    std::vector<ScanEvent> events;
    milliseconds elapsed;
    ProgressValues values;
    std::string line;
  } rows[] = {
      {"full scan, counted",
       {Started(ScanMode::kFull, 9), ScanCounted{4}, FileChecking{u"\\a.exe"},
        FileVerdict{u"\\a.exe", Verdict::Clean(), {}, 3'000'000}},
       milliseconds(2'000),
       {1, 4, 25, 1.5, std::chrono::seconds(2)},
       "1 of 4 files   1.5 MB/s   0:02"},
      {"full scan before its count",
       {Started(ScanMode::kFull, 9), FileChecking{u"\\a.exe"}},
       milliseconds(0),
       {1, std::nullopt, std::nullopt, 0, std::chrono::seconds(0)},
       "1 files   0.0 MB/s   0:00"},
      {"fast scan: the file signatures",
       {Started(ScanMode::kFast, 8), FileChecking{u"\\a.exe"}, FileChecking{u"\\b.exe"}},
       milliseconds(61'500),
       {2, 8, 25, 0, std::chrono::seconds(61)},
       "2 of 8 files   0.0 MB/s   1:01"},
      {"more files than counted",
       {Started(ScanMode::kFull, 0), ScanCounted{1}, FileChecking{u"\\a.exe"},
        FileChecking{u"\\b.exe"}},
       milliseconds(1'000),
       {2, 2, 100, 0, std::chrono::seconds(1)},
       "2 of 2 files   0.0 MB/s   0:01"},
      {"memory scan finished",
       {Started(ScanMode::kMemory, 5), ScanFinished{}},
       milliseconds(1'000),
       {0, std::nullopt, 100, 0, std::chrono::seconds(1)},
       "0 files   0.0 MB/s   0:01"},
      {"an empty store",
       {Started(ScanMode::kFull, 0), ScanCounted{0}},
       milliseconds(1'000),
       {0, 0, 0, 0, std::chrono::seconds(1)},
       "0 of 0 files   0.0 MB/s   0:01"},
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
