// The engine's bounds: hostile patterns end in PatternEngineFailure in
// bounded time (deep recursion, runaway backtracking, deep nesting), while
// heavy but sane patterns keep their answers. Nothing here depends on timing;
// each hostile case must throw, and each sane one must not.
#include <gtest/gtest.h>

#include <string>

#include "pattern/engine_failure.h"
#include "pattern/match_pattern.h"
#include "pattern/pattern_compiler.h"
#include "platform/limits.h"

namespace kv {
namespace {

int Match(const std::string& pattern, const std::string& data) {
  return MatchPattern(pattern.c_str(), data.data(), static_cast<int>(data.size()), 0);
}

TEST(Bounds, RecursionWithoutConsumingFailsOnTheDepthBound) {
  EXPECT_THROW(Match("(?R)", ""), PatternEngineFailure);
  EXPECT_THROW(Match("(?R)", "abc"), PatternEngineFailure);
  EXPECT_THROW(Match("(a|(?1))", "b"), PatternEngineFailure);
}

TEST(Bounds, RecursionDeeperThanTheBoundFails) {
  EXPECT_THROW(Match("a(?R)", std::string(100000, 'a')), PatternEngineFailure);
}

TEST(Bounds, RecursionWithinTheBoundKeepsItsAnswer) {
  EXPECT_EQ(Match("a(?R)?", std::string(500, 'a')), 1);
  EXPECT_EQ(Match("^(a(?1)?b)$", std::string(300, 'a') + std::string(300, 'b')), 1);
  EXPECT_EQ(Match("^(a(?1)?b)$", std::string(300, 'a') + std::string(299, 'b')), 0);
}

TEST(Bounds, RunawayBacktrackingFailsOnTheStepBudget) {
  // About 3 * n * n node calls for n bytes, against a budget linear in n.
  EXPECT_THROW(Match("(a*)*b", std::string(5000, 'a')), PatternEngineFailure);
  // 97 characters: 32 groups of two empty alternatives, then a byte that is
  // never there, which is 2^32 ways to fail at every position.
  std::string alternatives;
  for (int i = 0; i < 32; ++i) alternatives += "(|)";
  const std::string pattern = alternatives + "x";
  ASSERT_EQ(pattern.size(), 97u);
  EXPECT_THROW(Match(pattern, "abc"), PatternEngineFailure);
}

TEST(Bounds, DeepNestingFailsInTheCompiler) {
  const std::string open(100000, '(');
  PatternCompiler compiler;
  EXPECT_THROW(compiler.Compile(open.data(), static_cast<int>(open.size()), 0),
               PatternEngineFailure);
  EXPECT_THROW(Match(open, "a"), PatternEngineFailure);
  const std::string conditionals = [] {
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "(?(?=";
    return text;
  }();
  EXPECT_THROW(Match(conditionals, "a"), PatternEngineFailure);
}

TEST(Bounds, NestingWithinTheBoundCompilesAndMatches) {
  const int depth = limits::kMaxPatternNesting;
  const std::string nested = std::string(depth, '(') + "a" + std::string(depth, ')');
  EXPECT_EQ(Match(nested, "xa"), 1);
  EXPECT_EQ(Match(nested, "xb"), 0);
  const std::string tooDeep = "(" + nested + ")";
  EXPECT_THROW(Match(tooDeep, "a"), PatternEngineFailure);
}

TEST(Bounds, HeavySanePatternsStayWithinTheBudget) {
  const std::string text(2048, 'w');  // no line break: `.` runs to the end
  EXPECT_EQ(Match(".{0,999}QQ", text), 0);
  EXPECT_EQ(Match(".{0,999}QQ", text + "QQ"), 1);
  EXPECT_EQ(Match("(?s).*Q", text), 0);
  const std::string large(1 << 20, 'x');
  EXPECT_EQ(Match("needle", large), 0);
  EXPECT_EQ(Match("[a-w]{3,}y", large), 0);
}

TEST(Bounds, ACompiledPatternSurvivesAFailedSearch) {
  PatternCompiler compiler;
  const std::string pattern = "(|)(|)(|)(|)(|)(|)(|)(|)(|)(|)(|)(|)(|)(|)(|)(|)(|)(|)(|)(|)(|)(|)x";
  compiler.Compile(pattern.data(), static_cast<int>(pattern.size()), 0);
  EXPECT_THROW(compiler.Search("abc", 3, 0), PatternEngineFailure);
  EXPECT_EQ(IsMatched(compiler.Search("x", 1, 0)), 1);
  EXPECT_THROW(compiler.Search("abc", 3, 0), PatternEngineFailure);
}

}  // namespace
}  // namespace kv
