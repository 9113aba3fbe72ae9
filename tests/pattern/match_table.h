// Table rows for the matching tests: pattern + data (+ compile flags and
// start) -> matched, or -> spans. Patterns and data are std::string so that
// rows may hold zero bytes.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pattern_test_support.h"

namespace kv::test {

struct MatchRow {
  std::string pattern;
  std::string data;
  int matched;
  int flags = 0;
  int start = 0;
};

inline void ExpectMatches(const std::vector<MatchRow>& rows) {
  for (const MatchRow& row : rows) {
    EXPECT_EQ(Matches(row.pattern, row.data, row.flags, row.start), row.matched)
        << "pattern: " << row.pattern << "  data: " << row.data << "  flags: " << row.flags
        << "  start: " << row.start;
  }
}

struct SpanRow {
  std::string pattern;
  std::string data;
  std::string spans;
  int flags = 0;
  int start = 0;
};

inline void ExpectSpans(const std::vector<SpanRow>& rows) {
  for (const SpanRow& row : rows) {
    EXPECT_EQ(Spans(row.pattern, row.data, row.flags, row.start), row.spans)
        << "pattern: " << row.pattern << "  data: " << row.data << "  flags: " << row.flags;
  }
}

// One byte as a string.
inline std::string Byte(int value) { return std::string(1, static_cast<char>(value)); }

}  // namespace kv::test
