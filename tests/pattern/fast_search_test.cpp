// FastSearch against the reference search, CompiledPattern::Search: the
// conformance table through both, and generated patterns over generated
// data. Every comparison is of the whole SearchResult (status and every
// group's span). Where the reference matches, the required factors must
// occur in the data. Answers only, never times.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "pattern/compiled_pattern.h"
#include "pattern/fast_search.h"
#include "pattern/internal/compiled_tree.h"
#include "pattern/pattern_facts.h"
#include "pattern/pattern_flags.h"
#include "pattern_test_support.h"
#include "support/literal_occurs.h"
#include "support/search_status_printer.h"

namespace kv::testing {
namespace {

// The lowest budget a caller can ask for: FastSearch must still search with
// at least the reference's, or it fails where the reference answers.
constexpr std::uint64_t kLowestBudget = 1;

// Compares both searches of `compiled` over `data`; returns the reference's
// result for callers that count outcomes. A failure of the fast search
// where the reference answered is a disagreement.
SearchResult ExpectSameAnswer(const CompiledPattern& compiled, const std::string& data, int start,
                              const std::string& where) {
  const PatternFacts facts = AnalysePattern(compiled);
  const SearchResult reference = compiled.Search(data, start);
  const SearchResult fast = FastSearch(compiled, facts.start, data, start, nullptr, kLowestBudget);
  if (!reference.Failed()) {
    EXPECT_FALSE(fast.Failed()) << "the fast search failed where the reference answered: " << where;
    EXPECT_EQ(fast.status, reference.status) << where;
    EXPECT_EQ(fast.spans, reference.spans) << where;
  } else {
    EXPECT_TRUE(!fast.Failed() || fast.status == reference.status) << where;
  }
  if (reference.Matched() && facts.requiredFactors.has_value()) {
    const auto& factors = *facts.requiredFactors;
    EXPECT_TRUE(std::any_of(
        factors.begin(), factors.end(),
        [&](const LiteralFactor& f) { return testing::Occurs(data, f.bytes, f.caseless); }))
        << "no required factor occurs: " << where;
  }
  return reference;
}

TEST(FastSearchConformance, EveryRowAnswersAsTheReferenceAndTheTable) {
  for (const ConformanceRow& row : ReadConformanceTable()) {
    const SearchResult reference =
        ExpectSameAnswer(CompiledPattern::Compile(row.pattern), row.data, 0, row.where);
    EXPECT_EQ(reference.Matched() ? 1 : 0, row.expected) << row.where;
  }
}

// Pieces of patterns, each a construct the analyses treat on its own.
// clang-format off
const char* const kPieces[] = {
    "ab", "Ab", "b", "[a-c]", "[^a]", ".", "\\d", "\\w+", "x?", "a*", "(ab|c)", "(?:b|)",
    "a{2,3}", "(a)", "\\1", "\\b", "^", "$", "(?=ab)", "(?!b)", "(?<=a)", "(?<!c)", "(?i)",
    "(?i:bA)", "(?>a+)", "a++", "c+?", "(?(1)a|b)", "\\x00", "[\\x80-\\xff]", "\\s", "(?R)?",
    "[[:alpha:]]", "\\Z", "\\G", "(?m)^a", "[\\x00-\\xff]", "\\x{ff}", "", "[ab]", "a|ab"};
const char* const kQuantifiers[] = {
    "*", "+", "?", "{0,3}", "{2}", "*?", "+?", "++", "{1,}", "", "", "", "", ""};
// clang-format on

// Generated patterns: pieces, quantified or not, nested in groups (some
// with empty or overlapping branches), so that repeats nest.
std::string RandomPattern(std::mt19937& random, int depth) {
  static const char* const kOpeners[] = {"(", "(?:", "(?>", "(?=", "(?:"};
  const auto pick = [&](const auto& list) { return std::string(list[random() % std::size(list)]); };
  if (depth == 0 || random() % 3 == 0) return pick(kPieces) + pick(kQuantifiers);
  std::string inner = RandomPattern(random, depth - 1);
  const int kind = static_cast<int>(random() % 3);
  if (kind == 0) inner += RandomPattern(random, depth - 1);
  if (kind == 1) inner += "|" + RandomPattern(random, depth - 1);
  return pick(kOpeners) + inner + ")" + pick(kQuantifiers);
}

// Random bytes with literal pieces of the pattern planted in them, so that
// many searches find something and many fall just short; sometimes a long
// run of a's, over which nested repeats fail late and the memo has much to
// learn.
std::string RandomData(std::mt19937& random, const std::string& pattern) {
  static const char kDataBytes[] = "aabbcxyAB\n\r \x00\xff\x80_1";
  std::string data;
  const int length = static_cast<int>(random() % 32);
  for (int i = 0; i < length; ++i) {
    if (random() % 5 == 0 && !pattern.empty()) {
      data += pattern.substr(random() % pattern.size(), 1 + random() % 3);
    } else {
      data += kDataBytes[random() % (sizeof kDataBytes - 1)];
    }
  }
  if (random() % 3 == 0) data += std::string(random() % 120, 'a') + "ab"[random() % 2];
  return data;
}

TEST(FastSearchDifferential, GeneratedPatternsAndDataAnswerAsTheReference) {
  std::mt19937 random(20261206);
  static const char* const kTails[] = {"", "", "y", "(a|b)*y", "\\z"};
  const int flagSets[] = {
      0, 0, PF_IGNORE_CASE, PF_MULTI_LINE | PF_SINGLE_LINE, PF_SEARCH_START, PF_RIGHT_TO_LEFT};
  int matched = 0;
  int memoized = 0;
  for (int i = 0; i < 6000; ++i) {
    const std::string pattern = RandomPattern(random, static_cast<int>(random() % 4)) +
                                RandomPattern(random, 1) + kTails[random() % std::size(kTails)];
    const std::string data = RandomData(random, pattern);
    const int flags = flagSets[random() % std::size(flagSets)];
    const int start = random() % 4 == 0 ? static_cast<int>(data.size() / 2) : 0;
    const CompiledPattern compiled = CompiledPattern::Compile(pattern, flags);
    memoized += compiled.Tree() != nullptr && compiled.Tree()->memoizable ? 1 : 0;
    const std::string where = "pattern '" + pattern + "' flags " + std::to_string(flags) +
                              " start " + std::to_string(start) + " data '" + data + "'";
    matched += ExpectSameAnswer(compiled, data, start, where).Matched() ? 1 : 0;
    if (::testing::Test::HasFailure()) break;
  }
  // The generator must produce both outcomes, and trees the memo takes, in
  // numbers to test anything.
  EXPECT_GT(matched, 1000);
  EXPECT_LT(matched, 4500);
  EXPECT_GT(memoized, 3000);
}

}  // namespace
}  // namespace kv::testing
