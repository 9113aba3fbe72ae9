// The memoized fast search: which trees may memoize, the memo's memory
// cap, generated memoizable patterns against the reference (status and
// every span), and the shapes that used to fail the reference answering over
// a megabyte. Answers only, never times.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "pattern/compiled_pattern.h"
#include "pattern/fast_search.h"
#include "pattern/internal/compiled_tree.h"
#include "pattern/internal/memo_table.h"
#include "pattern/pattern_facts.h"
#include "pattern/pattern_flags.h"
#include "pattern_test_support.h"
#include "platform/limits.h"
#include "support/search_status_printer.h"

namespace kv::test {
namespace {

SearchResult Fast(const std::string& pattern, const std::string& data, int flags = 0) {
  const CompiledPattern compiled = CompiledPattern::Compile(pattern, flags);
  return FastSearch(compiled, AnalysePattern(compiled).start, data);
}

class Memoizable : public ::testing::TestWithParam<PatternRow> {};

TEST_P(Memoizable, OnlyTreesWhereNoPartSeesAnother) {
  const CompiledPattern compiled = CompiledPattern::Compile(GetParam().pattern);
  EXPECT_EQ(compiled.Tree()->memoizable ? "memo" : "plain", GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Trees, Memoizable,
                         Rows({{"(a|b)*c", "memo"},
                               {"(?=a)(?<!b)(?>a+)a*?x++", "memo"},
                               {"(?(?=a)ab|c)", "memo"},
                               {"(a)\\1", "plain"},
                               {"(?<n>a)\\k<n>", "plain"},
                               {"a(?R)?b", "plain"},
                               {"(a)(?1)", "plain"},
                               {"(a)?(?(1)b|c)", "plain"},
                               {"(a)\\1{0}", "plain"}}));

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
  const std::string as(1 << 20, 'a');
  const std::string ws(1 << 20, 'w');
  EXPECT_EQ(Fast("(a|b)*c", as).status, SearchStatus::kNoMatch);
  EXPECT_EQ(Fast("(a*)*b", as).status, SearchStatus::kNoMatch);
  EXPECT_EQ(Fast(".{0,999}QQ", ws).status, SearchStatus::kNoMatch);
  EXPECT_EQ(Fast("(a|b)*c", as + "c").status, SearchStatus::kMatch);
  EXPECT_EQ(Fast("(a*)*b", as + "b").status, SearchStatus::kMatch);
  const SearchResult gap = Fast(".{0,999}QQ", ws + "QQ");
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

// Generated patterns: nested repeats, alternations (some with empty or
// overlapping branches), lazy, possessive and counted repeats, lookaround
// and atomic groups, built as a tree so that they nest.
std::string RandomPattern(std::mt19937& random, int depth) {
  static const char* const kAtoms[] = {"a", "b", "ab",  "[ab]",  ".",     "\\w",    "c", "",
                                       "^", "$", "\\b", "(?=a)", "(?!b)", "(?<=a)", "x"};
  static const char* const kQuantifiers[] = {"*",  "+",  "?",    "{0,3}", "{2}", "*?",
                                             "+?", "++", "{1,}", "",      "",    ""};
  const auto pick = [&](const auto& list) { return list[random() % std::size(list)]; };
  if (depth == 0 || random() % 3 == 0) return std::string(pick(kAtoms)) + pick(kQuantifiers);
  std::string inner = RandomPattern(random, depth - 1);
  const int kind = static_cast<int>(random() % 5);
  if (kind == 0) inner += RandomPattern(random, depth - 1);
  if (kind == 1) inner += "|" + RandomPattern(random, depth - 1);
  static const char* const kOpeners[] = {"(", "(?:", "(?>", "(?=", "(?:"};
  return std::string(pick(kOpeners)) + inner + ")" + pick(kQuantifiers);
}

// What follows the generated part: often a byte the subject rarely holds,
// so that many attempts fail late and the memo has much to learn.
std::string RandomTail(std::mt19937& random) {
  static const char* const kTails[] = {"", "y", "y", "(a|b)*y", "\\z"};
  return kTails[random() % std::size(kTails)];
}

std::string RandomSubject(std::mt19937& random) {
  static const char kBytes[] = "aaaabbbcx\nyab";
  std::string data;
  const int length = static_cast<int>(random() % 40);
  for (int i = 0; i < length; ++i) data += kBytes[random() % (sizeof kBytes - 1)];
  if (random() % 3 == 0) data += std::string(random() % 200, 'a') + "ab"[random() % 2];
  return data;
}

TEST(MemoSearchDifferential, GeneratedMemoizablePatternsAnswerAsTheReference) {
  std::mt19937 random(20261207);
  const int flagSets[] = {0, 0, PF_IGNORE_CASE, PF_MULTI_LINE | PF_SINGLE_LINE, PF_RIGHT_TO_LEFT};
  int matched = 0;
  int answeredOnlyByMemo = 0;
  for (int i = 0; i < 6000; ++i) {
    const std::string pattern = RandomPattern(random, 1 + static_cast<int>(random() % 4)) +
                                RandomPattern(random, 1) + RandomTail(random);
    const std::string data = RandomSubject(random);
    const int flags = flagSets[random() % std::size(flagSets)];
    const CompiledPattern compiled = CompiledPattern::Compile(pattern, flags);
    ASSERT_TRUE(compiled.Tree()->memoizable) << pattern;
    const SearchResult reference = compiled.Search(data);
    const SearchResult fast = FastSearch(compiled, AnalysePattern(compiled).start, data);
    const std::string where =
        "pattern '" + pattern + "' flags " + std::to_string(flags) + " data '" + data + "'";
    if (reference.Failed()) {
      EXPECT_TRUE(!fast.Failed() || fast.status == reference.status) << where;
      answeredOnlyByMemo += fast.Failed() ? 0 : 1;
    } else {
      EXPECT_EQ(fast.status, reference.status) << where;
      EXPECT_EQ(fast.spans, reference.spans) << where;
    }
    matched += reference.Matched() ? 1 : 0;
    if (::testing::Test::HasFailure()) break;
  }
  EXPECT_GT(matched, 1500);
  EXPECT_LT(matched, 4500);
  RecordProperty("answeredOnlyByMemo", answeredOnlyByMemo);
}

}  // namespace
}  // namespace kv::test
