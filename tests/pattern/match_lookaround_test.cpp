// Matching of lookahead and lookbehind (any length, by matching leftwards),
// conditionals, and recursion into the whole pattern or a group.
#include <gtest/gtest.h>

#include "match_table.h"

namespace kv {
namespace {

using test::ExpectMatches;
using test::ExpectSpans;

TEST(MatchLookaround, LookaheadChecksWithoutConsuming) {
  ExpectMatches({
      {"a(?=b)", "ab", 1},
      {"a(?=b)", "ac", 0},
      {"a(?!b)", "ab", 0},
      {"a(?!b)", "ac", 1},
      {"a(?!b)", "a", 1},
      {"(?=a)a", "a", 1},
      {"(?=a)b", "ab", 0},
      {"(?!)", "a", 0},
      {"(?!)", "", 0},
  });
  ExpectSpans({{"a(?=bc)", "abc", "g0=0,1"}});
}

TEST(MatchLookaround, LookbehindMatchesLeftwardsAtAnyLength) {
  ExpectMatches({
      {"(?<=ab)c", "abc", 1},
      {"(?<=ab)c", "xbc", 0},
      {"(?<!a)b", "cb", 1},
      {"(?<!a)b", "ab", 0},
      {"(?<!a)b", "b", 1},
      {"(?<=a|bcd)e", "bcde", 1},
      {"(?<=a|bcd)e", "ae", 1},
      {"(?<=a|bcd)e", "ce", 0},
      {"(?<=\\d{2,})x", "12x", 1},
      {"(?<=\\d{2,})x", "1x", 0},
      {"(?<=^a)b", "ab", 1},
      {"(?<=^a)b", "cab", 0},
      {"(?<=a(?=b))b", "ab", 1},
      {"(?<=[a-c]+)d", "bad", 1},
      {"(?<=x.*)y", "x\ny", 0},
  });
}

TEST(MatchLookaround, CapturesOfAPositiveLookaroundStayVisible) {
  ExpectSpans({
      {"(?=(ab))a", "ab", "g0=0,1 g1=0,2"},
      {"(?!(b))a", "a", "g0=0,1 g1=-"},
      {"(?<=(a))b", "ab", "g0=1,2 g1=0,1"},
  });
  ExpectMatches({{"(?=(a))\\1", "a", 1}, {"(?=(a))\\1\\1", "a", 0}, {"(?=(a))\\1\\1", "aa", 1}});
}

TEST(MatchLookaround, ConditionsOnGroups) {
  ExpectMatches({
      {"(a)?(?(1)b|c)", "ab", 1},
      {"(a)?(?(1)b|c)", "c", 1},
      {"(a)?(?(1)b|c)", "b", 0},
      {"^(a)?(?(1)b|c)", "ac", 0},
      {"(a)?(?(1)b|c)", "ac", 1},
      {"(?(1)a|b)", "b", 1},
      {"(?(1)a|b)", "a", 0},
      {"(?<n>x)?(?(n)y|z)", "xy", 1},
      {"^(?<n>x)?(?(n)y|z)", "xz", 0},
      {"^(?(1)a|b|c)$", "c", 1},
      {"^(?(1)a|b|c)$", "a", 0},
      {"^(a)(?(1)b|c|d)$", "ab", 1},
      {"^(?(1)a)$", "", 1},
  });
}

TEST(MatchLookaround, ConditionsOnAssertions) {
  ExpectMatches({
      {"(?(?=a)ab|cd)", "ab", 1},
      {"(?(?=a)ab|cd)", "cd", 1},
      {"(?(?=a)ab|cd)", "ad", 0},
      {"(?(?!a)b|a)", "a", 1},
      {"(?(x)xa|b)", "xa", 1},
      {"(?(x)xa|b)", "b", 1},
      {"(?(x)xa|b)", "x", 0},
  });
}

TEST(MatchLookaround, RecursionReentersTheWholePatternOrAGroup) {
  ExpectMatches({
      {"^(\\((?:[^()]|(?1))*\\))$", "(a(b)c)", 1},
      {"^(\\((?:[^()]|(?1))*\\))$", "(a(b c)", 0},
      // (?R) re-enters the whole pattern, its ^ included.
      {"^\\((?:[^()]|(?R))*\\)", "((x))", 0},
      {"^(a|b(?1))$", "bbba", 1},
      {"^(a|b(?1))$", "bbb", 0},
      {"^(?1)(a)$", "aa", 1},
      {"^(?1)(a)$", "a", 0},
      {"^(?<p>a(?R<p>)?b)$", "aabb", 1},
      {"^a(?5)$", "a", 1},
      {"^a(?R<nosuch>)$", "a", 1},
      {"^(?<p>a(?&p)?b)$", "ab", 1},
      {"^(?<p>a(?&p)?b)$", "aabb", 0},
  });
}

TEST(MatchLookaround, RecursionIntoAnOpenGroupKeepsTheOuterCapture) {
  ExpectSpans({
      {"\\((?:[^()]|(?R))*\\)", "((x))", "g0=0,5"},
      {"^(a(?1)?b)$", "aabb", "g0=0,4 g1=0,4"},
      {"^(a(?1)?b)$", "ab", "g0=0,2 g1=0,2"},
  });
}

}  // namespace
}  // namespace kv
