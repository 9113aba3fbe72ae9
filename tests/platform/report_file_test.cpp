// The scan reports' file: lines appended in order, read back oldest first,
// and the rotation past its size bound that keeps a few generations.
#include "platform/report_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/limits.h"
#include "support/temp_files.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

TEST(ReportFile, AppendsInOrderAndRotatesPastItsBoundKeepingAFewGenerations) {
  const TempPrefix prefix;
  Result<Lines> lines = ReadReportLines(prefix.Store(), true);
  ASSERT_TRUE(lines.Ok());
  EXPECT_TRUE(lines.value.empty());  // no report yet
  const fs::path file = prefix.Path() / "reports/scans.ndjson";
  const std::string filler(limits::kMaxReportBytes, 'x');
  for (int generation = 0; generation <= limits::kReportGenerations + 1; ++generation) {
    ASSERT_TRUE(AppendReportLine(prefix.Store(), "g" + std::to_string(generation)));
    WriteFile(file, ReadFile(file) + filler + "\n");  // now past the bound
  }
  ASSERT_TRUE(AppendReportLine(prefix.Store(), "last"));
  EXPECT_EQ(ReadReportLines(prefix.Store(), false).value, Lines{"last"});
  lines = ReadReportLines(prefix.Store(), true);
  // The oldest generations are gone; the kept ones come oldest first.
  std::ranges::replace(lines.value, filler, std::string("filler"));
  Lines expected;
  for (int generation = 2; generation <= limits::kReportGenerations + 1; ++generation) {
    expected.insert(expected.end(), {"g" + std::to_string(generation), "filler"});
  }
  expected.push_back("last");
  EXPECT_EQ(lines.value, expected);
  EXPECT_FALSE(fs::exists(prefix.Path() / "reports/scans.ndjson.4"));
}

}  // namespace
}  // namespace kv::testing
