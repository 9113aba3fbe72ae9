// Conformance test of the pattern engine against the hand-worked table of
// support/conformance_table.h. ConformanceTable checks the table reader, so
// that a damaged table fails loudly instead of silently testing less;
// PatternConformance runs every row through kv::MatchPattern and reports each
// failing row on its own, with its line number.

#include <gtest/gtest.h>

#include <exception>
#include <sstream>
#include <stdexcept>
#include <string>

#include "pattern/match_pattern.h"
#include "support/conformance_table.h"

namespace {

using kv::testing::ConformanceRow;
using kv::testing::ReadConformanceTable;

TEST(ConformanceTable, DecodesRowsAndRefusesMalformedOnesNamingTheirLine) {
  std::istringstream good("# group\n\n1\ta%25b%09\t%00%ff%0A\n0\t\tx\n");
  const std::vector<ConformanceRow> rows = ReadConformanceTable(good, "t");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].line, 3);
  EXPECT_EQ(rows[0].expected, 1);
  EXPECT_EQ(rows[0].pattern, "a%b\t");
  EXPECT_EQ(rows[0].data, std::string("\0\xff\n", 3));
  EXPECT_EQ(rows[1].line, 4);
  EXPECT_EQ(rows[1].expected, 0);
  EXPECT_EQ(rows[1].pattern + "|" + rows[1].data, "|x");

  // Too few or too many fields, expected out of range, a short or non-hex
  // escape, a zero byte in the pattern, raw control and high bytes.
  for (const char* malformed : {"1\tab", "1\ta\tb\tc", "2\ta\tb", "1\ta%4\tb", "1\ta\t%zz",
                                "1\ta%00b\tb", "1\ta\tb\r", "1\ta\t\xc3\xa9"}) {
    std::istringstream in(std::string("1\tok\tok\n") + malformed + "\n");
    try {
      ReadConformanceTable(in, "t");
      ADD_FAILURE() << "accepted: " << malformed;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()).rfind("t:2: ", 0), 0u) << malformed << " gave " << e.what();
    }
  }
}

TEST(PatternConformance, EveryRowGivesTheDescribedAnswer) {
  for (const ConformanceRow& row : ReadConformanceTable()) {
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
