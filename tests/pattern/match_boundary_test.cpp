// Boundaries, anchors and the flag bits given to Compile directly:
// PF_SINGLE_LINE, PF_MULTI_LINE, PF_SEARCH_START (with a non-zero start),
// PF_IGNORE_CASE, PF_RIGHT_TO_LEFT and PF_EXTENDED; and where a search
// starts.
#include <gtest/gtest.h>

#include "match_table.h"
#include "pattern/pattern_flags.h"

namespace kv {
namespace {

using test::ExpectMatches;
using test::ExpectSpans;

TEST(MatchBoundary, TextAnchorsSkipNoLineBreak) {
  ExpectMatches({
      {"^abc", "abc", 1},
      {"^abc", "xabc", 0},
      {"^abc", "x\nabc", 0},
      {"abc$", "abc", 1},
      {"abc$", "abc\n", 0},
      {"abc$", "abcx", 0},
      {"abc\\Z", "abc", 1},
      {"abc\\Z", "abc\n", 1},
      {"abc\\Z", "abc\r\n", 1},
      {"abc\\Z", "abc\n\n", 0},
      {"abc\\Z", "abc\r", 0},
      {"\\Aabc", "xabc", 0},
      {"abc\\z", "abc\n", 0},
      {"abc\\z", "abc", 1},
      {"^$", "", 1},
      {"^$", "a", 0},
  });
}

TEST(MatchBoundary, MultiLineAnchorsMatchAtLineBreaks) {
  ExpectMatches({
      {"^abc", "x\nabc", 1, PF_MULTI_LINE},
      {"(?m)^abc", "x\nabc", 1},
      {"(?m)^b", "a\rb", 1},
      {"(?m)^b", "a\r\nb", 1},
      {"(?m)^\\n", "\r\n", 0},
      {"abc$", "abc\nx", 1, PF_MULTI_LINE},
      {"(?m)abc$", "abc\r\nx", 1},
      {"(?m)a$", "a\n", 1},
      {"(?m)\\r$", "\r\n", 0},
      {"(?m)\\r$", "\r\r", 1},
      {"(?m-m)^abc", "x\nabc", 0},
      {"\\Aabc", "x\nabc", 0, PF_MULTI_LINE},
  });
}

TEST(MatchBoundary, WordEdgesSeeOnlyAsciiWordBytes) {
  ExpectMatches({
      {"\\bfoo\\b", "a foo b", 1},
      {"\\bfoo\\b", "afoo", 0},
      {"\\bfoo\\b", "foo", 1},
      {"\\Boo", "foo", 1},
      {"\\Boo", " oo", 0},
      {"\\bfoo",
       "\xe9"
       "foo",
       1},
      {"\\b", "", 0},
      {"\\B", "", 1},
      {"_\\b", "a_", 1},
  });
}

TEST(MatchBoundary, SingleLineLetsDotMatchLineFeed) {
  ExpectMatches({
      {"a.c", "a\nc", 0},
      {"a.c", "a\nc", 1, PF_SINGLE_LINE},
      {"(?s)a.c", "a\nc", 1},
      {"(?s:a.)c", "a\nc", 1},
      {"(?s:a).c", "a\nc", 0},
      {"a.c", "a\rc", 1},
  });
}

TEST(MatchBoundary, SearchStartAnchorNeedsItsFlag) {
  ExpectMatches({
      {"\\Gb", "ab", 1, PF_SEARCH_START, 1},
      {"\\Gb", "ab", 0, PF_SEARCH_START, 0},
      {"\\Gb", "ab", 1, 0, 0},
      {"(?g)\\Gb", "ab", 0},
      {"(?g)\\Gb", "ab", 1, 0, 1},
  });
}

TEST(MatchBoundary, TheSearchBeginsAtStartAndTriesEveryLaterPosition) {
  ExpectMatches({
      {"a", "ab", 0, 0, 1},
      {"b", "ab", 1, 0, 1},
      {"", "ab", 1, 0, 2},
      {"", "ab", 0, 0, 3},
      {"a", "ab", 1, 0, -5},
      {"$", "ab", 1, 0, 2},
  });
  ExpectSpans({{"", "ab", "g0=2,2", 0, 2}, {"x*", "ab", "g0=1,1", 0, 1}});
}

TEST(MatchBoundary, RightToLeftSearchesAndMatchesLeftwards) {
  ExpectSpans({
      {"ab", "abab", "g0=2,4", PF_RIGHT_TO_LEFT, -1},
      {"a+", "baaa", "g0=1,4", PF_RIGHT_TO_LEFT, -1},
      {"ab", "abab", "g0=0,2", PF_RIGHT_TO_LEFT, 3},
      {"ab", "abab", "g0=2,4", PF_RIGHT_TO_LEFT, 9},
      {"(a)(b)", "ab", "g0=0,2 g1=0,1 g2=1,2", PF_RIGHT_TO_LEFT, -1},
      {"", "ab", "g0=2,2", PF_RIGHT_TO_LEFT, -1},
  });
  ExpectMatches({
      {"ab", "abab", 0, PF_RIGHT_TO_LEFT, 1},
      {"^ab", "xab", 0, PF_RIGHT_TO_LEFT, -1},
      {"ab$", "abx", 0, PF_RIGHT_TO_LEFT, -1},
      {"(?=b)", "ab", 1, PF_RIGHT_TO_LEFT, -1},
  });
}

TEST(MatchBoundary, ExtendedModeIgnoresLayout) {
  ExpectMatches({
      {"a b # comment", "ab", 1, PF_EXTENDED},
      {"a b # comment", "ab", 0},
      {"a\\ b", "a b", 1, PF_EXTENDED},
      {"[a b]", " ", 0, PF_EXTENDED},
      {"(?x)a b", "ab", 0},
  });
}

TEST(MatchBoundary, IgnoreCaseFlagCoversLiteralsClassesAndBackReferences) {
  ExpectMatches({
      {"abc", "xABC", 1, PF_IGNORE_CASE},
      {"[a-c]+", "CAB", 1, PF_IGNORE_CASE},
      {"(a)\\1", "Aa", 1, PF_IGNORE_CASE},
      {"(?-i)abc", "ABC", 0, PF_IGNORE_CASE},
  });
}

}  // namespace
}  // namespace kv
