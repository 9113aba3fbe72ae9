// ExistenceSearch beyond the differential tests (fast_search_test.cpp) and
// the trees it takes (memo_search_test.cpp): the shapes that make
// backtracking explode, and its cache cap. Answers only, never times.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "pattern/compiled_pattern.h"
#include "pattern/existence_search.h"
#include "pattern/pattern_facts.h"
#include "support/search_status_printer.h"

namespace kv::testing {
namespace {

// The shapes that explode a backtracker, over megabytes of the byte that
// keeps every attempt going, answer in one pass; a match planted at the very
// end is found; a cancel ends the pass.
TEST(ExistenceSearch, HostileShapesAnswerOverMegabytes) {
  const struct {
    const char* pattern;
    char filler;
    const char* ending;
  } rows[] = {
      {"(a|b)*c", 'a', "c"},
      {"(a*)*b", 'a', "b"},
      {".{0,999}QQ", 'Q', "\nQQ"},  // one Q alone after a line break
      {"([a-z]+ ?)+[0-9]\\.\\n", 'w', "1.\n"},
  };
  for (const auto& row : rows) {
    const CompiledPattern compiled = CompiledPattern::Compile(row.pattern);
    const StartFilter start = AnalysePattern(compiled).start;
    const std::unique_ptr<ExistenceSearch> search = ExistenceSearch::For(compiled);
    ASSERT_NE(search, nullptr) << row.pattern;
    std::string data(std::size_t{4} << 20, row.filler);
    if (row.filler == 'Q') {
      for (std::size_t i = 0; i < data.size(); i += 2) data[i] = '\n';
    }
    EXPECT_EQ(search->Find(data, start, nullptr), SearchStatus::kNoMatch) << row.pattern;
    EXPECT_EQ(search->Find(data + row.ending, start, nullptr), SearchStatus::kMatch) << row.pattern;
    CancelToken cancel;
    cancel.Cancel();
    EXPECT_EQ(search->Find(data, start, &cancel), SearchStatus::kCancelled) << row.pattern;
  }
}

// Patterns whose automata have hundreds of states, through caches that
// hold almost nothing: they are emptied again and again, and every answer
// is still the reference's. The first pattern ends with a literal, so it is
// read backwards from each `c`; the second is read forwards.
TEST(ExistenceSearch, ATinyCacheIsEmptiedAndAnswersStayTheSame) {
  for (const char* pattern : {"(a|b)*a(a|b){7}c", "(a|b)*a(a|b){7}[cd]"}) {
    const CompiledPattern compiled = CompiledPattern::Compile(pattern);
    const StartFilter start = AnalysePattern(compiled).start;
    const std::unique_ptr<ExistenceSearch> tiny = ExistenceSearch::For(compiled, 1);
    ASSERT_NE(tiny, nullptr);
    std::mt19937 random(7);
    int matched = 0;
    for (int i = 0; i < 40; ++i) {
      std::string data;
      for (int j = 0; j < 600; ++j) data += "abbbc"[random() % (j % 50 == 0 ? 5 : 4)];
      const SearchResult reference = compiled.Search(data);
      ASSERT_FALSE(reference.Failed());
      EXPECT_EQ(tiny->Find(data, start, nullptr), reference.status) << pattern << " " << data;
      matched += reference.Matched() ? 1 : 0;
    }
    EXPECT_GT(tiny->CacheClears(), 300) << pattern;
    EXPECT_GT(matched, 5) << pattern;
    EXPECT_LT(matched, 35) << pattern;
  }
}

}  // namespace
}  // namespace kv::testing
