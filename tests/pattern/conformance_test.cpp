// Conformance test of the pattern engine against the hand-worked table of
// support/conformance_table.h. The ConformanceTable tests check the table
// reader itself, so that a damaged table fails loudly instead of silently
// testing less; PatternConformance runs every row through kv::MatchPattern
// and reports each failing row on its own, with its line number.

#include <gtest/gtest.h>

#include <exception>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "pattern/match_pattern.h"
#include "support/conformance_table.h"

namespace {

using kv::testing::ConformanceRow;
using kv::testing::Describe;
using kv::testing::kConformanceTablePath;
using kv::testing::kMinimumRows;
using kv::testing::ReadConformanceTable;

TEST(ConformanceTable, DecodesEscapesSkipsCommentsAndKeepsLineNumbers) {
  std::istringstream in("# group\n\n1\ta%25b%09\t%00%ff%0A\n# why\n0\t\tx\n");
  std::vector<ConformanceRow> rows;
  std::string error;
  ASSERT_TRUE(ReadConformanceTable(in, rows, error)) << error;
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].line, 3);
  EXPECT_EQ(rows[0].expected, 1);
  EXPECT_EQ(rows[0].pattern, "a%b\t");
  EXPECT_EQ(rows[0].patternText, "a%25b%09");
  EXPECT_EQ(rows[0].data, std::string("\0\xff\n", 3));
  EXPECT_EQ(rows[1].line, 5);
  EXPECT_EQ(rows[1].expected, 0);
  EXPECT_EQ(rows[1].pattern, "");
  EXPECT_EQ(rows[1].data, "x");
}

TEST(ConformanceTable, RejectsMalformedRowsNamingTheirLine) {
  const char* const malformed[] = {
      "1\tab",          // two fields
      "1\ta\tb\tc",     // four fields
      "2\ta\tb",        // expected out of range
      "1\t%4\tb",       // short escape
      "1\ta\t%zz",      // not hex
      "1\ta%\tb",       // bare percent at the field's end
      "1\ta%00b\tb",    // zero byte in the pattern
      "1\ta\tb\r",      // raw control byte
      "1\ta\t\xc3\xa9"  // raw high bytes
  };
  for (const char* row : malformed) {
    std::istringstream in(std::string("1\tok\tok\n") + row + "\n");
    std::vector<ConformanceRow> rows;
    std::string error;
    EXPECT_FALSE(ReadConformanceTable(in, rows, error)) << "accepted: " << row;
    EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << "row " << row << " gave: " << error;
  }
}

TEST(PatternConformance, EveryRowGivesTheDescribedAnswer) {
  const std::string& path = kConformanceTablePath;
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << "cannot open " << path;
  std::vector<ConformanceRow> rows;
  std::string error;
  ASSERT_TRUE(ReadConformanceTable(in, rows, error)) << path << ": " << error;
  ASSERT_GE(rows.size(), kMinimumRows) << path << " holds too few rows";

  for (const ConformanceRow& row : rows) {
    try {
      const int found = kv::MatchPattern(row.pattern.c_str(), row.data.data(),
                                         static_cast<int>(row.data.size()), 0);
      EXPECT_EQ(found, row.expected) << Describe(row);
    } catch (const std::exception& e) {
      ADD_FAILURE() << Describe(row) << " threw: " << e.what();
    }
  }
}

}  // namespace
