// Searches that conformance.txt cannot state: group positions (MatchSpans),
// the flags given to Compile directly, a non-zero or out-of-range start,
// zero bytes inside the pattern, and bytes 0x80-0xFF, which have no
// character type and no case. Rows give the spans as Spans()
// writes them: "g0=start,end g1=..." with "-" for a group that took no part.
// Then MatchPattern, the reference entry, on what the compiled pattern's
// search never sees: null and zero-terminated inputs, and a failed search,
// which it throws.
#include <gtest/gtest.h>

#include <string>

#include "pattern/engine_failure.h"
#include "pattern/match_pattern.h"
#include "pattern/pattern_flags.h"
#include "pattern_test_support.h"
#include "support/search_status_printer.h"

namespace kv {
namespace {

using namespace std::string_literals;

// Each row pins the spans of one search; the comments group the rows.
TEST(Search, FindsTheListedSpans) {
  const testing::SearchRow rows[] = {
      // Groups capture what they matched last; named ones are numbered after.
      {"(a)(b)", "ab", "g0=0,2 g1=0,1 g2=1,2"},
      {"((a)b)", "ab", "g0=0,2 g1=0,2 g2=0,1"},
      {"()", "", "g0=0,0 g1=0,0"},
      {"x(a)?y", "xy", "g0=0,2 g1=-"},
      {"(a)(?<n>b)(c)", "abc", "g0=0,3 g1=0,1 g2=2,3 g3=1,2"},
      {"(?=(ab))a", "ab", "g0=0,1 g1=0,2"},
      {"(?!(b))a", "a", "g0=0,1 g1=-"},
      // Recursing into an open group leaves the outer capture as it is.
      {"^(a(?1)?b)$", "aabb", "g0=0,4 g1=0,4"},
      // Repeats take as much or as little as they may, and give back.
      {"<.+>", "<a><b>", "g0=0,6"},
      {"(a|b)*c", "abbac", "g0=0,5 g1=3,4"},
      {"<.+?>", "<a><b>", "g0=0,3"},
      {"(a|ab)*?c", "abc", "g0=0,3 g1=0,2"},
      // A copy that matches empty ends the repeat.
      {"(a*)*", "b", "g0=0,0 g1=-"},
      {"(a*)+b", "aab", "g0=0,3 g1=0,2"},
      // From 0 the first copy turns from a into ab and the repeat then tries
      // no second copy, so ab ab c is never found.
      {"(?:a|ab)*c", "ababc", "g0=2,5"},
      // The engine's own choices: bytes 0x80-0xFF have no character type and
      // no case. A zero byte inside the pattern is an ordinary byte.
      {"[[:alpha:]]", "\xe9", "no match"},
      {"(?i)\\xe9", "\xc9", "no match"},
      {"(?i)[\\xe9]", "\xc9", "no match"},
      {"a\0b"s, "xa\0b"s, "g0=1,4"},
      // Compile flags hold for the whole pattern.
      {"^abc", "x\nabc", "g0=2,5", PF_MULTI_LINE},
      {"a.c", "a\nc", "g0=0,3", PF_SINGLE_LINE},
      {"\\Gb", "ab", "g0=1,2", PF_SEARCH_START, 1},
      {"\\Gb", "ab", "no match", PF_SEARCH_START},
      {"abc", "xABC", "g0=1,4", PF_IGNORE_CASE},
      {"a b # comment", "ab", "g0=0,2", PF_EXTENDED},
      // Left to right the search begins at `start` (0 when negative); right
      // to left it begins at `start` (the end when negative or beyond) and
      // the match ends there or before.
      {"a", "ab", "no match", 0, 1},
      {"", "ab", "g0=2,2", 0, 2},
      {"", "ab", "no match", 0, 3},
      {"a", "ab", "g0=0,1", 0, -5},
      {"ab", "abab", "g0=2,4", PF_RIGHT_TO_LEFT, -1},
      {"ab", "abab", "g0=0,2", PF_RIGHT_TO_LEFT, 3},
      {"ab", "abab", "g0=2,4", PF_RIGHT_TO_LEFT, 9},
      {"a+", "baaa", "g0=1,4", PF_RIGHT_TO_LEFT, -1},
      {"(a)(b)", "ab", "g0=0,2 g1=0,1 g2=1,2", PF_RIGHT_TO_LEFT, -1},
      {"(?=b)", "ab", "g0=1,1", PF_RIGHT_TO_LEFT, -1},
      {"\\1(a)", "aa", "g0=0,2 g1=1,2", PF_RIGHT_TO_LEFT, -1},
  };
  for (const testing::SearchRow& row : rows) {
    EXPECT_EQ(testing::Spans(row.pattern, row.data, row.flags, row.start), row.expected)
        << testing::Shown(row.pattern) << " on " << testing::Shown(row.data) << " flags "
        << row.flags << " start " << row.start;
  }
}

TEST(MatchPatternEntry, HandlesNullInputsAndTheTerminatorAndThrowsAFailedSearch) {
  EXPECT_EQ(MatchPattern(nullptr, "abc", 3, 0), 0);
  EXPECT_EQ(MatchPattern("", nullptr, 0, 0), 1);
  EXPECT_EQ(MatchPattern("a", nullptr, 5, 0), 0);
  EXPECT_EQ(MatchPattern("a", "a", -1, 0), 0);
  // The pattern ends at its first zero byte.
  const char pattern[] = {'a', '\0', 'b', '\0'};
  EXPECT_EQ(MatchPattern(pattern, "xa", 2, 0), 1);
  // A failed search is thrown, with its status.
  try {
    MatchPattern("(?R)", "abc", 3, 0);
    ADD_FAILURE() << "no failure";
  } catch (const PatternEngineFailure& failure) {
    EXPECT_EQ(failure.Status(), SearchStatus::kDepthLimit);
  }
}

}  // namespace
}  // namespace kv
