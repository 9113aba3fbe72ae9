// FastSearch and the existence automaton against the reference search,
// CompiledPattern::Search: the conformance table through all three, and
// generated patterns over generated data. FastSearch must give the whole
// SearchResult (status and every group's span), the automaton, where it
// takes the pattern, whether there is a match. Where the reference matches,
// the required factors must occur in the data. Answers only, never times.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <span>
#include <string>

#include "fast_search_agreement.h"
#include "pattern/compiled_pattern.h"
#include "pattern/internal/compiled_tree.h"
#include "pattern/pattern_facts.h"
#include "pattern/pattern_flags.h"
#include "pattern_test_support.h"

namespace kv::testing {
namespace {

// Compares the searches of `compiled` over `data` (fast_search_agreement.h);
// returns the reference's result for callers that count outcomes, and adds
// to `byAutomaton` when the automaton answered too.
SearchResult ExpectSameAnswer(const CompiledPattern& compiled, const std::string& data, int start,
                              const std::string& where, int* byAutomaton = nullptr) {
  const SearchResult reference = compiled.Search(data, start);
  const Agreement agreement =
      CompareWithReference(compiled, AnalysePattern(compiled), data, start, reference);
  EXPECT_TRUE(agreement.disagreement == nullptr) << agreement.disagreement << ": " << where;
  if (agreement.byAutomaton && byAutomaton != nullptr) ++*byAutomaton;
  return reference;
}

TEST(FastSearchConformance, EveryRowAnswersAsTheReferenceAndTheTable) {
  for (const ConformanceRow& row : ReadConformanceTable()) {
    const SearchResult reference =
        ExpectSameAnswer(CompiledPattern::Compile(row.pattern), row.data, 0, row.where);
    EXPECT_EQ(reference.Matched() ? 1 : 0, row.expected) << row.where;
  }
}

// What generated patterns are made of: pieces, each a construct the
// analyses treat on its own, their quantifiers, and group openers.
struct Grammar {
  std::span<const char* const> pieces;
  std::span<const char* const> quantifiers;
  std::span<const char* const> openers;
};

// clang-format off
const char* const kPieces[] = {
    "ab", "Ab", "b", "[a-c]", "[^a]", ".", "\\d", "\\w+", "x?", "a*", "(ab|c)", "(?:b|)",
    "a{2,3}", "(a)", "\\1", "\\b", "^", "$", "(?=ab)", "(?!b)", "(?<=a)", "(?<!c)", "(?i)",
    "(?i:bA)", "(?>a+)", "a++", "c+?", "(?(1)a|b)", "\\x00", "[\\x80-\\xff]", "\\s", "(?R)?",
    "[[:alpha:]]", "\\Z", "\\G", "(?m)^a", "[\\x00-\\xff]", "\\x{ff}", "", "[ab]", "a|ab"};
const char* const kQuantifiers[] = {
    "*", "+", "?", "{0,3}", "{2}", "*?", "+?", "++", "{1,}", "", "", "", "", ""};
const char* const kOpeners[] = {"(", "(?:", "(?>", "(?=", "(?:"};
// Only what the automaton takes: caseless parts, classes with embedded
// and negated parts, bodies that can match empty, counted repeats.
const char* const kRegularPieces[] = {
    "ab", "Ab", "b", "[a-c]", "[^a]", ".", "\\d", "\\w+", "x?", "a*", "(ab|c)", "(?:b|)",
    "a{2,3}", "(a)", "(?i)", "(?i:bA)", "c+?", "\\x00", "[\\x80-\\xff]", "\\s", "[[:alpha:]]",
    "[\\x00-\\xff]", "\\x{ff}", "", "[ab]", "a|ab", "[^\\s]", "[\\dA-F_]", "(?i)[k-mB]",
    "[^[:lower:]x]", "(a*)*", "(?:a|b?){1,3}"};
const char* const kRegularQuantifiers[] = {
    "*", "+", "?", "{0,3}", "{2}", "*?", "+?", "{1,}", "{0,20}", "", "", "", "", ""};
const char* const kRegularOpeners[] = {"(", "(?:"};
// clang-format on
const Grammar kAnyGrammar{kPieces, kQuantifiers, kOpeners};
const Grammar kRegularGrammar{kRegularPieces, kRegularQuantifiers, kRegularOpeners};

// Generated patterns: pieces, quantified or not, nested in groups (some
// with empty or overlapping branches), so that repeats nest.
std::string RandomPattern(std::mt19937& random, int depth, const Grammar& grammar) {
  const auto pick = [&](std::span<const char* const> list) {
    return std::string(list[random() % list.size()]);
  };
  if (depth == 0 || random() % 3 == 0) return pick(grammar.pieces) + pick(grammar.quantifiers);
  std::string inner = RandomPattern(random, depth - 1, grammar);
  const int kind = static_cast<int>(random() % 3);
  if (kind == 0) inner += RandomPattern(random, depth - 1, grammar);
  if (kind == 1) inner += "|" + RandomPattern(random, depth - 1, grammar);
  return pick(grammar.openers) + inner + ")" + pick(grammar.quantifiers);
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
    data += random() % 5 == 0 && !pattern.empty()
                ? pattern.substr(random() % pattern.size(), 1 + random() % 3)
                : std::string(1, kDataBytes[random() % (sizeof kDataBytes - 1)]);
  }
  if (random() % 3 == 0) data += std::string(random() % 120, 'a') + "ab"[random() % 2];
  return data;
}

// What generated cases gave: matches, memoizable trees, and answers the
// automaton gave too.
struct Outcomes {
  int matched = 0;
  int memoized = 0;
  int byAutomaton = 0;
};

// Compares `cases` generated cases, each pattern drawn by `makePattern`,
// searched with one of `flagSets` from the start or, where `midStarts`, in
// one case out of four from the middle of the data.
Outcomes CompareGenerated(std::uint32_t seed, int cases, std::span<const int> flagSets,
                          bool midStarts,
                          const std::function<std::string(std::mt19937&)>& makePattern) {
  std::mt19937 random(seed);
  Outcomes outcomes;
  for (int i = 0; i < cases && !::testing::Test::HasFailure(); ++i) {
    const std::string pattern = makePattern(random);
    const std::string data = RandomData(random, pattern);
    const int flags = flagSets[random() % flagSets.size()];
    const int start = midStarts && random() % 4 == 0 ? static_cast<int>(data.size() / 2) : 0;
    const CompiledPattern compiled = CompiledPattern::Compile(pattern, flags);
    outcomes.memoized += compiled.Tree() != nullptr && compiled.Tree()->memoizable ? 1 : 0;
    const std::string where = "pattern '" + pattern + "' flags " + std::to_string(flags) +
                              " start " + std::to_string(start) + " data '" + data + "'";
    const SearchResult reference =
        ExpectSameAnswer(compiled, data, start, where, &outcomes.byAutomaton);
    outcomes.matched += reference.Matched() ? 1 : 0;
  }
  return outcomes;
}

// The generator must produce both outcomes, and trees the memo and the
// automaton take, in numbers to test anything.
TEST(FastSearchDifferential, GeneratedPatternsAndDataAnswerAsTheReference) {
  const int flagSets[] = {
      0, 0, PF_IGNORE_CASE, PF_MULTI_LINE | PF_SINGLE_LINE, PF_SEARCH_START, PF_RIGHT_TO_LEFT};
  const Outcomes outcomes = CompareGenerated(20261206, 6000, flagSets, true, [](auto& random) {
    static const char* const kTails[] = {"", "", "y", "(a|b)*y", "\\z"};
    return RandomPattern(random, static_cast<int>(random() % 4), kAnyGrammar) +
           RandomPattern(random, 1, kAnyGrammar) + kTails[random() % std::size(kTails)];
  });
  EXPECT_GT(outcomes.matched, 1000);
  EXPECT_LT(outcomes.matched, 4500);
  EXPECT_GT(outcomes.memoized, 3000);
  EXPECT_GT(outcomes.byAutomaton, 300) << outcomes.byAutomaton;
}

// Regular patterns only, over the whole buffer: every one is the
// automaton's, so its answers are compared thousands of times.
TEST(FastSearchDifferential, GeneratedRegularPatternsExistAsTheReferenceFinds) {
  const int flagSets[] = {0, PF_IGNORE_CASE, PF_SINGLE_LINE, PF_EXTENDED};
  const Outcomes outcomes = CompareGenerated(20261207, 1500, flagSets, false, [](auto& random) {
    // A head and a tail around the generated part, so that its repeats
    // must consume exactly the right bytes to reach the tail.
    static const char* const kHeads[] = {"", "", "x", "a", "[bc]"};
    static const char* const kTails[] = {"", "y", "b", "ab", "[xy]c", "a{3}"};
    return kHeads[random() % std::size(kHeads)] +
           RandomPattern(random, static_cast<int>(random() % 5), kRegularGrammar) +
           kTails[random() % std::size(kTails)];
  });
  EXPECT_GT(outcomes.matched, 250);
  EXPECT_LT(outcomes.matched, 1250);
  EXPECT_GT(outcomes.byAutomaton, 1350);
}

}  // namespace
}  // namespace kv::testing
