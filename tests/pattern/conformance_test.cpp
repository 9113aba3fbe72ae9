// Conformance test of the pattern engine against a table of cases.
//
// tests/pattern/conformance.txt holds one case per line,
// "expected<TAB>pattern<TAB>data", worked out by hand from the pattern
// language's rules without looking at the engine's code, so that a misreading
// on either side shows up as a failing row. In pattern and data, %HH stands for
// one byte, so the table stays printable ASCII while the cases hold tabs, line
// breaks, zero bytes and bytes 0x80-0xFF; lines starting with # and blank
// lines are comments.
//
// Entry points: the ConformanceTable tests check the table reader itself, so
// that a damaged table fails loudly instead of silently testing less;
// PatternConformance runs every row through kv::MatchPattern and reports each
// failing row on its own, with its line number.

#include <gtest/gtest.h>

#include <cstddef>
#include <exception>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "pattern/match_pattern.h"

namespace {

// Far fewer rows than this means the table was cut or mostly skipped.
constexpr std::size_t kMinimumRows = 400;

struct ConformanceRow {
  int line = 0;
  int expected = 0;
  std::string patternText;  // as written in the table, for messages
  std::string dataText;
  std::string pattern;  // decoded
  std::string data;
};

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes the %HH escapes of one field. Raw bytes outside printable ASCII
// are refused: they must be written as escapes, so that an editor cannot
// change a case without anyone seeing it.
bool DecodeField(std::string_view text, std::string& out, std::string& error) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c < 0x20 || c > 0x7E) {
      error = "raw byte outside printable ASCII (write it as %HH)";
      return false;
    }
    if (c != '%') {
      out += c;
      continue;
    }
    const int high = i + 1 < text.size() ? HexDigitValue(text[i + 1]) : -1;
    const int low = i + 2 < text.size() ? HexDigitValue(text[i + 2]) : -1;
    if (high < 0 || low < 0) {
      error = "% not followed by two hex digits (write a percent as %25)";
      return false;
    }
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return true;
}

bool ParseRow(std::string_view line, ConformanceRow& row, std::string& error) {
  const std::size_t firstTab = line.find('\t');
  const std::size_t secondTab =
      firstTab == std::string_view::npos ? firstTab : line.find('\t', firstTab + 1);
  if (secondTab == std::string_view::npos || line.find('\t', secondTab + 1) != line.npos) {
    error = "a row needs exactly three tab-separated fields";
    return false;
  }
  const std::string_view expected = line.substr(0, firstTab);
  if (expected != "0" && expected != "1") {
    error = "expected must be 0 or 1";
    return false;
  }
  row.expected = expected[0] - '0';
  row.patternText = line.substr(firstTab + 1, secondTab - firstTab - 1);
  row.dataText = line.substr(secondTab + 1);
  if (!DecodeField(row.patternText, row.pattern, error) ||
      !DecodeField(row.dataText, row.data, error)) {
    return false;
  }
  if (row.pattern.find('\0') != std::string::npos) {
    error = "a pattern is NUL-terminated text and cannot hold a zero byte";
    return false;
  }
  return true;
}

// Reads the whole table. Stops at the first malformed row with `error`
// naming its line.
bool ReadConformanceTable(std::istream& in, std::vector<ConformanceRow>& rows, std::string& error) {
  rows.clear();
  std::string line;
  for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
    if (line.empty() || line[0] == '#') continue;
    ConformanceRow row;
    row.line = lineNumber;
    std::string reason;
    if (!ParseRow(line, row, reason)) {
      error = "line " + std::to_string(lineNumber) + ": " + reason;
      return false;
    }
    rows.push_back(std::move(row));
  }
  return true;
}

std::string Describe(const ConformanceRow& row) {
  return "line " + std::to_string(row.line) + ": pattern `" + row.patternText + "` on data `" +
         row.dataText + "`";
}

TEST(ConformanceTable, DecodesPercentEscapesInBothFields) {
  std::istringstream in("1\ta%25b%09\t%00%ff%0A\n");
  std::vector<ConformanceRow> rows;
  std::string error;
  ASSERT_TRUE(ReadConformanceTable(in, rows, error)) << error;
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].line, 1);
  EXPECT_EQ(rows[0].expected, 1);
  EXPECT_EQ(rows[0].pattern, "a%b\t");
  EXPECT_EQ(rows[0].data, std::string("\0\xff\n", 3));
  EXPECT_EQ(rows[0].patternText, "a%25b%09");
}

TEST(ConformanceTable, SkipsCommentsAndBlankLinesAndKeepsLineNumbers) {
  std::istringstream in("# group\n\n0\tab\t\n# why\n1\t\tx\n");
  std::vector<ConformanceRow> rows;
  std::string error;
  ASSERT_TRUE(ReadConformanceTable(in, rows, error)) << error;
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].line, 3);
  EXPECT_EQ(rows[0].expected, 0);
  EXPECT_EQ(rows[0].pattern, "ab");
  EXPECT_EQ(rows[0].data, "");
  EXPECT_EQ(rows[1].line, 5);
  EXPECT_EQ(rows[1].pattern, "");
  EXPECT_EQ(rows[1].data, "x");
}

TEST(ConformanceTable, RejectsMalformedRowsNamingTheirLine) {
  const char* const malformed[] = {
      "1\tab",           // two fields
      "1\ta\tb\tc",      // four fields
      "2\ta\tb",         // expected out of range
      "\ta\tb",          // expected missing
      "10\ta\tb",        // expected not one digit
      "1\t%4\tb",        // short escape
      "1\ta\t%zz",       // not hex
      "1\ta%\tb",        // bare percent at the field's end
      "1\ta%00b\tb",     // zero byte in the pattern
      "1\ta\tb\r",       // raw control byte
      "1\ta\t\xc3\xa9",  // raw high bytes
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
  const std::string path = std::string(KV_SOURCE_DIR) + "/tests/pattern/conformance.txt";
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
