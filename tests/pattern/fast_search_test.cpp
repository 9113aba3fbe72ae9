// FastSearch against the reference search, CompiledPattern::Search: the
// conformance table through both, and generated patterns over generated
// data with planted pieces of the patterns. Every comparison is of the
// whole SearchResult (status and every group's span). Where the reference
// matches, the required factors must occur in the data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "pattern/compiled_pattern.h"
#include "pattern/fast_search.h"
#include "pattern/pattern_facts.h"
#include "pattern/pattern_flags.h"
#include "support/conformance_table.h"
#include "support/search_status_printer.h"

namespace kv::test {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool Occurs(const std::string& data, const LiteralFactor& factor) {
  const auto same = [&](char a, char b) { return factor.caseless ? Lower(a) == Lower(b) : a == b; };
  return std::search(data.begin(), data.end(), factor.bytes.begin(), factor.bytes.end(), same) !=
         data.end();
}

// The lowest budget a caller can ask for: FastSearch must still search with
// at least the reference's.
constexpr std::uint64_t kLowestBudget = 1;

// Compares both searches of `pattern` over `data`; returns the reference's
// result for callers that count outcomes. A failure of the fast search
// where the reference answered is a disagreement.
SearchResult ExpectSameAnswer(const std::string& pattern, const std::string& data, int flags,
                              int start) {
  const CompiledPattern compiled = CompiledPattern::Compile(pattern, flags);
  const PatternFacts facts = AnalysePattern(compiled);
  const SearchResult reference = compiled.Search(data, start);
  const SearchResult fast = FastSearch(compiled, facts.start, data, start, nullptr, kLowestBudget);
  const std::string where = "pattern '" + pattern + "' flags " + std::to_string(flags) + " start " +
                            std::to_string(start) + " data '" + data + "'";
  if (!reference.Failed()) {
    EXPECT_FALSE(fast.Failed()) << "the fast search failed where the reference answered: " << where;
    EXPECT_EQ(fast.status, reference.status) << where;
    EXPECT_EQ(fast.spans, reference.spans) << where;
  } else {
    EXPECT_TRUE(!fast.Failed() || fast.status == reference.status) << where;
  }
  if (reference.Matched() && facts.requiredFactors.has_value()) {
    const auto& factors = *facts.requiredFactors;
    EXPECT_TRUE(std::any_of(factors.begin(), factors.end(),
                            [&](const LiteralFactor& f) { return Occurs(data, f); }))
        << "no required factor occurs: " << where;
  }
  return reference;
}

TEST(FastSearchConformance, EveryRowAnswersAsTheReference) {
  int matched = 0;
  for (const testing::ConformanceRow& row : testing::ReadConformanceTable()) {
    SCOPED_TRACE(testing::Describe(row));
    const SearchResult reference = ExpectSameAnswer(row.pattern, row.data, 0, 0);
    EXPECT_EQ(reference.Matched() ? 1 : 0, row.expected);
    matched += reference.Matched() ? 1 : 0;
  }
  EXPECT_GT(matched, 100);
}

// Pieces of patterns, each a construct the analyses treat on its own.
// clang-format off
const char* const kPieces[] = {
    "ab", "Ab", "b", "[a-c]", "[^a]", ".", "\\d", "\\w+", "x?", "a*", "(ab|c)", "(?:b|)",
    "a{2,3}", "(a)", "\\1", "\\b", "^", "$", "(?=ab)", "(?!b)", "(?<=a)", "(?<!c)", "(?i)",
    "(?i:bA)", "(?>a+)", "a++", "c+?", "(?(1)a|b)", "\\x00", "[\\x80-\\xff]", "\\s", "(?R)?",
    "[[:alpha:]]", "\\Z", "\\G", "(?m)^a", "[\\x00-\\xff]", "\\x{ff}"};
// clang-format on

// Data bytes: the pattern's letters, line breaks and zero and high bytes.
const char kDataBytes[] = "aabbcxAB\n\r \x00\xff\x80_1";

std::string RandomPattern(std::mt19937& random) {
  std::string pattern;
  const int pieces = 1 + static_cast<int>(random() % 4);
  for (int i = 0; i < pieces; ++i) pattern += kPieces[random() % std::size(kPieces)];
  return pattern;
}

// Random bytes with literal pieces of the pattern planted in them, so that
// many searches find something and many fall just short.
std::string RandomData(std::mt19937& random, const std::string& pattern) {
  std::string data;
  const int length = static_cast<int>(random() % 24);
  for (int i = 0; i < length; ++i) {
    if (random() % 5 == 0 && !pattern.empty()) {
      const std::size_t from = random() % pattern.size();
      data += pattern.substr(from, 1 + random() % 3);
    } else {
      data += kDataBytes[random() % (sizeof kDataBytes - 1)];
    }
  }
  return data;
}

TEST(FastSearchDifferential, GeneratedPatternsAndDataAnswerAsTheReference) {
  std::mt19937 random(20261206);
  const int flagSets[] = {0, PF_IGNORE_CASE, PF_MULTI_LINE | PF_SINGLE_LINE, PF_SEARCH_START,
                          PF_RIGHT_TO_LEFT};
  int matched = 0;
  for (int i = 0; i < 6000; ++i) {
    const std::string pattern = RandomPattern(random);
    const std::string data = RandomData(random, pattern);
    const int flags = flagSets[random() % std::size(flagSets)];
    const int start = random() % 4 == 0 ? static_cast<int>(data.size() / 2) : 0;
    matched += ExpectSameAnswer(pattern, data, flags, start).Matched() ? 1 : 0;
    if (::testing::Test::HasFailure()) break;
  }
  // The generator must produce both outcomes in numbers to test anything.
  EXPECT_GT(matched, 1000);
  EXPECT_LT(matched, 5000);
}

TEST(FastSearchBounds, ABudgetBelowTheReferencesCountsAsTheReferences) {
  const CompiledPattern compiled = CompiledPattern::Compile("(a*)*b");
  const PatternFacts facts = AnalysePattern(compiled);
  const std::string costly(2000, 'a');  // about 3 * n * n steps: inside the reference's budget
  const SearchResult reference = compiled.Search(costly);
  ASSERT_EQ(reference.status, SearchStatus::kNoMatch);
  EXPECT_EQ(FastSearch(compiled, facts.start, costly, 0, nullptr, 1000).status, reference.status);
  EXPECT_EQ(FastSearch(compiled, facts.start, "aaab", 0, nullptr, 1000).status,
            SearchStatus::kMatch);
}

}  // namespace
}  // namespace kv::test
