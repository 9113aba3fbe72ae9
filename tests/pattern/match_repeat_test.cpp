// Matching of quantifiers: greedy, lazy, possessive and fixed repeats, the
// empty-copy rule, and the one way back into a greedy repeat (give up or
// change its latest copy, never grow it again).
#include <gtest/gtest.h>

#include "match_table.h"

namespace kv {
namespace {

using test::ExpectMatches;
using test::ExpectSpans;

TEST(MatchRepeat, GreedyTakesAsMuchAsItCanAndGivesBack) {
  ExpectSpans({
      {"a*a", "aaa", "g0=0,3"},
      {"a{2,3}", "aaaa", "g0=0,3"},
      {"a{2,}", "aaaaa", "g0=0,5"},
      {"<.+>", "<a><b>", "g0=0,6"},
      {"a?b", "ab", "g0=0,2"},
      {"x*", "yyy", "g0=0,0"},
      {"(a)*", "aaa", "g0=0,3 g1=2,3"},
      {"(a|b)*c", "abbac", "g0=0,5 g1=3,4"},
  });
}

TEST(MatchRepeat, LazyTakesAsLittleAsItCan) {
  ExpectSpans({
      {"a+?b", "aaab", "g0=0,4"},
      {"a+?", "aaa", "g0=0,1"},
      {"a{2,3}?", "aaaa", "g0=0,2"},
      {"<.+?>", "<a><b>", "g0=0,3"},
      {"a*?b", "aab", "g0=0,3"},
      {"(a|ab)*?c", "abc", "g0=0,3 g1=0,2"},
      {"a??b", "ab", "g0=0,2"},
  });
}

TEST(MatchRepeat, FixedCountsMatchExactly) {
  ExpectMatches({
      {"a{3}", "aa", 0},
      {"a{3}", "aaa", 1},
      {"^a{3}$", "aaaa", 0},
      {"a{3}?", "aaa", 1},
      {"a{0}b", "b", 1},
      {"^(?:a|ab){2}c", "aabc", 1},
      {"a{1000}", std::string(100, 'a'), 1},
      {"a{1000}", std::string(99, 'a'), 0},
      {"x{,3}y", "y", 1},
  });
}

TEST(MatchRepeat, PossessiveAndAtomicNeverGiveBack) {
  ExpectMatches({
      {"a*+a", "aaa", 0},
      {"(?>a*)a", "aaa", 0},
      {"a*a", "aaa", 1},
      {"a++b", "aab", 1},
      {"[ab]*+b", "aab", 0},
      {"(a|b)*+c", "ababc", 1},
      {"(?>a|ab)c", "abc", 0},
      {"(?:a|ab)c", "abc", 1},
      {"a?+a", "a", 0},
  });
}

TEST(MatchRepeat, CopiesThatMatchEmptyEndTheRepeat) {
  ExpectSpans({
      {"(a*)*", "b", "g0=0,0 g1=-"},
      {"(a*)*", "aa", "g0=0,2 g1=0,2"},
      {"(a*)+b", "aab", "g0=0,3 g1=0,2"},
      {"(?:a?)*?b", "ab", "g0=0,2"},
      {"(?:|a)*b", "aab", "g0=0,3"},
      {"(?:a|)*b", "aab", "g0=0,3"},
  });
}

TEST(MatchRepeat, BacktrackingNeverGrowsAGreedyRepeatAgain) {
  // After the latest copy found another way the repeat does not try more
  // copies, so (?:a|ab)* cannot become ab ab before the c.
  ExpectSpans({
      {"(?:a|ab)*c", "ababc", "g0=2,5"},
      {"(?:a|ab)*c", "abc", "g0=0,3"},
  });
  ExpectMatches({
      {"^(?:a|ab)*c", "ababc", 0},
      {"^(?:ab|a)*c", "ababc", 1},
  });
}

}  // namespace
}  // namespace kv
