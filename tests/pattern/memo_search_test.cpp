// The memoized fast search: which trees it and the existence automaton
// take, the memo's memory cap, and the shapes that used to fail the
// reference answering over a megabyte (fast_search_test.cpp compares
// generated patterns, memoized ones among them, with the reference).
// Answers only, never times.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "pattern/compiled_pattern.h"
#include "pattern/existence_search.h"
#include "pattern/fast_search.h"
#include "pattern/internal/compiled_tree.h"
#include "pattern/internal/memo_table.h"
#include "pattern/pattern_facts.h"
#include "pattern/pattern_flags.h"
#include "pattern_test_support.h"
#include "platform/limits.h"
#include "support/search_status_printer.h"

namespace kv::testing {
namespace {

SearchResult Fast(const std::string& pattern, const std::string& data, int flags = 0) {
  const CompiledPattern compiled = CompiledPattern::Compile(pattern, flags);
  return FastSearch(compiled, AnalysePattern(compiled).start, data);
}

// Which trees each fast path takes. The memo only trees where no part sees
// another; the automaton only regular trees, within its state bound, from
// the search's start, left to right. Every construct the automaton has no
// state for is declined alike (one stands for them all; the differential
// tests in fast_search_test.cpp feed each of them).
TEST(FastPaths, TakeOnlyTheTreesTheyCanAnswer) {
  const struct {
    const char* pattern;
    int flags;
    bool memoizable;
    bool automaton;
  } rows[] = {
      // clang-format off
      {"(a|b)*c", 0, true, true}, {"(?i:ab)[^\\d[:space:]]+?(x|y*){2,5}.", 0, true, true},
      {"(?:a|)*b{0,999}", PF_SINGLE_LINE, true, true},
      {"\\Gab", 0, true, true},  // without PF_SEARCH_START \G matches empty
      {"\\Gab", PF_SEARCH_START, true, false}, {"ab", PF_RIGHT_TO_LEFT, true, false},
      {"(a{999}){999}", 0, true, false},  // too many states
      {"(?=a)(?<!b)(?>a+)a*?x++", 0, true, false}, {"a++b", 0, true, false},
      {"(?(?=a)ab|c)", 0, true, false},
      {"(a)\\1", 0, false, false},  // no automaton state for a back-reference
      {"(?<n>a)\\k<n>", 0, false, false}, {"a(?R)?b", 0, false, false},
      {"(a)(?1)", 0, false, false}, {"(a)?(?(1)b|c)", 0, false, false},
      {"(a)\\1{0}", 0, false, true},  // a reference repeated no times is no reference
      // clang-format on
  };
  for (const auto& row : rows) {
    const CompiledPattern compiled = CompiledPattern::Compile(row.pattern, row.flags);
    EXPECT_EQ(compiled.Tree()->memoizable, row.memoizable) << row.pattern;
    EXPECT_EQ(ExistenceSearch::For(compiled) != nullptr, row.automaton) << row.pattern;
  }
}

TEST(MemoTable, KeepsNoMoreBitsThanItsCapAndForgetsWhatDoesNotFit) {
  const int length = 1 << 24;  // 2 MiB of bits a row
  const int slots = static_cast<int>(limits::kMaxMemoBytes / (length / 8)) + 3;
  MemoTable memo(slots, length);
  for (int slot = 0; slot < slots; ++slot) memo.MarkFailed(slot, length, 0);
  EXPECT_LE(memo.BitBytes(), limits::kMaxMemoBytes);
  EXPECT_GE(memo.BitBytes(), limits::kMaxMemoBytes - std::size_t{length / 8 + 8});
  EXPECT_TRUE(memo.Failed(0, length, 0));
  EXPECT_FALSE(memo.Failed(slots - 1, length, 0));
}

TEST(MemoTable, AFactHoldsWhereTheRepeatsAroundHaveNoMoreWays) {
  MemoTable memo(1, 100);
  memo.MarkFailed(0, 7, 0b01);
  EXPECT_TRUE(memo.Failed(0, 7, 0b01));
  EXPECT_TRUE(memo.Failed(0, 7, 0b11));
  EXPECT_FALSE(memo.Failed(0, 7, 0b10));
  EXPECT_FALSE(memo.Failed(0, 8, 0b01));
  memo.MarkFailed(0, 9, 0b10);  // learnt with ways the row's mask lacks: not kept
  EXPECT_FALSE(memo.Failed(0, 9, 0b11));
  memo.MarkContinuationFailed(0, 20, 0);
  memo.MarkContinuationFailed(0, 19, 0);
  int low = 0;
  int high = 0;
  ASSERT_TRUE(memo.ContinuationFailed(0, 20, 0b1, low, high));
  EXPECT_EQ(low, 19);
  EXPECT_EQ(high, 20);
}

// The shapes that ran the reference out of a bound, over 1 MiB: clean, and
// with a match at the very end.
TEST(MemoSearch, ExplodingShapesAnswerOverAMegabyte) {
  for (const auto& [pattern, filler, ending] :
       {std::tuple{"(a|b)*c", 'a', "c"}, {"(a*)*b", 'a', "b"}, {".{0,999}QQ", 'w', "QQ"}}) {
    const std::string clean(1 << 20, filler);
    EXPECT_EQ(Fast(pattern, clean).status, SearchStatus::kNoMatch) << pattern;
    EXPECT_EQ(Fast(pattern, clean + ending).status, SearchStatus::kMatch) << pattern;
  }
  const SearchResult gap = Fast(".{0,999}QQ", std::string(1 << 20, 'w') + "QQ");
  ASSERT_EQ(gap.status, SearchStatus::kMatch);
  EXPECT_EQ(gap.spans.groups[0], (GroupSpan{(1 << 20) - 999, (1 << 20) + 2}));
}

// Six groups a copy: the first attempt outgrows the stacks, as the
// reference's does; what attempts from the end learn lets it answer.
TEST(MemoSearch, AnAttemptThatOutgrowsTheStacksAnswersAfterLearningBackwards) {
  const std::string pattern = "((((((a|b))))))*c";
  const std::string as(1 << 20, 'a');
  EXPECT_EQ(CompiledPattern::Compile(pattern).Search(as).status, SearchStatus::kMemoryCap);
  EXPECT_EQ(Fast(pattern, as).status, SearchStatus::kNoMatch);
}

// A growing copy whose way fails turns into a resumed one, which accepts
// an empty way: the inner repeat's failed ways must not be skipped while
// the outer copy grows (group 1 ends empty, inside a resumed copy).
TEST(MemoSearch, FailuresLearntInAResumedCopyAreNotSkippedWhileAnotherGrows) {
  const std::string pattern = "(?:(.*)+?(?=a))+(a|b)*y";
  const CompiledPattern compiled = CompiledPattern::Compile(pattern);
  ASSERT_EQ(Spans(pattern, "aaya", 0, 0), "g0=0,3 g1=1,1 g2=1,2");
  EXPECT_EQ(Fast(pattern, "aaya").spans, compiled.Search("aaya").spans);
}

}  // namespace
}  // namespace kv::testing
