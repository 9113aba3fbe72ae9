// Matching of capturing groups and back-references: numbering (plain groups
// by opening parenthesis, named groups after them), what a group captures,
// and back-references to set, unset, open and missing groups.
#include <gtest/gtest.h>

#include "match_table.h"
#include "pattern/pattern_flags.h"

namespace kv {
namespace {

using test::ExpectMatches;
using test::ExpectSpans;

TEST(MatchGroups, GroupsCaptureWhatTheyMatchedLast) {
  ExpectSpans({
      {"(a)(b)", "ab", "g0=0,2 g1=0,1 g2=1,2"},
      {"(a)|b", "b", "g0=0,1 g1=-"},
      {"((a)b)", "ab", "g0=0,2 g1=0,2 g2=0,1"},
      {"(a)*", "aaa", "g0=0,3 g1=2,3"},
      {"(a|b)+", "ab", "g0=0,2 g1=1,2"},
      {"()", "", "g0=0,0 g1=0,0"},
      {"x(a)?y", "xy", "g0=0,2 g1=-"},
  });
}

TEST(MatchGroups, NamedGroupsAreNumberedAfterThePlainOnes) {
  ExpectSpans({
      {"(a)(?<n>b)(c)", "abc", "g0=0,3 g1=0,1 g2=2,3 g3=1,2"},
      {"(?<x>a)(?<y>b)", "ab", "g0=0,2 g1=0,1 g2=1,2"},
      {"(?<n>a)(?<N>b)", "ab", "g0=0,2 g1=1,2"},
      {"(?<2>a)", "a", "g0=0,1 g1=- g2=0,1"},
  });
}

TEST(MatchGroups, BackReferencesCompareTheCapturedText) {
  ExpectMatches({
      {"(a)\\1", "aa", 1},
      {"(a)\\1", "ab", 0},
      {"(a|b)\\1", "ba", 0},
      {"(a|b)\\1", "abb", 1},
      {"(?i)(a)\\1", "aA", 1},
      {"(a)\\1", "aA", 0},
      {"(?<n>a)\\k<n>", "aa", 1},
      {"(?<n>a)\\k'n'", "aa", 1},
      {"(?<n>a)\\g<n>", "aa", 1},
      {"(a)\\k<1>", "aa", 1},
      {"(?<n>a)(?<N>b)\\k<n>", "abb", 1},
      {"(?<n>a)(?<N>b)\\k<n>", "aba", 0},
      {"(ab)\\1{2}", "ababab", 1},
      {"(ab)\\1{2}", "abab", 0},
  });
}

TEST(MatchGroups, BackReferencesToUnsetOrMissingGroupsNeverMatch) {
  ExpectMatches({
      {"\\1(a)", "aa", 0},
      {"(a)\\2", "aa", 0},
      {"\\k<n>(?<n>a)", "aa", 0},
      {"(a)\\k<nosuch>", "a", 0},
      {"(a)?\\1b", "b", 0},
      {"(a)?b\\1", "b", 0},
  });
}

TEST(MatchGroups, BackReferenceToAnOpenGroupComparesTheTextSoFar) {
  ExpectMatches({
      {"(a\\1)", "aa", 1},
      {"(a\\1)", "ab", 0},
      {"(ab\\1)", "abab", 1},
      {"ab\\k", "abab", 1},
      {"ab\\k", "abba", 0},
  });
}

TEST(MatchGroups, AGroupWhoseCaptureWasUndoneCountsAsUnset) {
  // The lookahead's capture of group 1 is dropped when the `x` fails and the
  // second alternative is tried; \1 then sees no surviving record.
  ExpectMatches({
      {"(?:(?=(a))x|a)\\1", "aa", 0},
      {"(?:(?=(a))x|a)(?(1)y|z)", "az", 1},
      {"(?:(?=(a))a|b)\\1", "aa", 1},
  });
}

TEST(MatchGroups, RightToLeftBackReferencesReadLeftwards) {
  // A negative start makes a right-to-left search begin at the end.
  ExpectMatches({
      {"\\1(a)", "aa", 1, PF_RIGHT_TO_LEFT, -1},
      {"\\1(a)", "ba", 0, PF_RIGHT_TO_LEFT, -1},
      {"(a)\\1", "aa", 0, PF_RIGHT_TO_LEFT, -1},
      {"(?<=\\1(ab))", "abab", 1},
      {"(?<=\\1(ab))", "xbab", 0},
  });
}

}  // namespace
}  // namespace kv
