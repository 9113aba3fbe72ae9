// The engine's bounds: hostile patterns end in PatternEngineFailure in
// bounded time (deep recursion, runaway backtracking, deep nesting), while
// heavy but sane patterns keep their answers. Nothing here depends on timing;
// each hostile case must throw, and each sane one must not.
#include <gtest/gtest.h>

#include <string>

#include "pattern/engine_failure.h"
#include "pattern/pattern_compiler.h"
#include "pattern_test_support.h"
#include "platform/limits.h"

namespace kv {
namespace {

using test::Match;

std::string Repeated(const std::string& text, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += text;
  return out;
}

TEST(Bounds, RecursionFailsOnlyBeyondTheDepthBound) {
  EXPECT_THROW(Match("(?R)", ""), PatternEngineFailure);
  EXPECT_THROW(Match("(?R)", "abc"), PatternEngineFailure);
  EXPECT_THROW(Match("(a|(?1))", "b"), PatternEngineFailure);
  EXPECT_THROW(Match("a(?R)", std::string(100000, 'a')), PatternEngineFailure);
  EXPECT_EQ(Match("a(?R)?", std::string(500, 'a')), 1);
  EXPECT_EQ(Match("^(a(?1)?b)$", std::string(300, 'a') + std::string(300, 'b')), 1);
  EXPECT_EQ(Match("^(a(?1)?b)$", std::string(300, 'a') + std::string(299, 'b')), 0);
}

TEST(Bounds, RunawayBacktrackingFailsOnTheStepBudget) {
  // About 3 * n * n node calls for n bytes, against a budget linear in n.
  EXPECT_THROW(Match("(a*)*b", std::string(5000, 'a')), PatternEngineFailure);
  // 97 characters: 32 groups of two empty alternatives, then a byte that is
  // never there, which is 2^32 ways to fail at every position.
  EXPECT_THROW(Match(Repeated("(|)", 32) + "x", "abc"), PatternEngineFailure);
}

TEST(Bounds, NestingFailsInTheCompilerOnlyBeyondTheBound) {
  const std::string open(100000, '(');
  PatternCompiler compiler;
  EXPECT_THROW(compiler.Compile(open.data(), static_cast<int>(open.size()), 0),
               PatternEngineFailure);
  EXPECT_THROW(Match(open, "a"), PatternEngineFailure);
  EXPECT_THROW(Match(Repeated("(?(?=", 20000), "a"), PatternEngineFailure);
  const int depth = limits::kMaxPatternNesting;
  const std::string nested = std::string(depth, '(') + "a" + std::string(depth, ')');
  EXPECT_EQ(Match(nested, "xa"), 1);
  EXPECT_EQ(Match(nested, "xb"), 0);
  EXPECT_THROW(Match("(" + nested + ")", "a"), PatternEngineFailure);
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
  const std::string pattern = Repeated("(|)", 22) + "x";
  compiler.Compile(pattern.data(), static_cast<int>(pattern.size()), 0);
  EXPECT_THROW(compiler.Search("abc", 3, 0), PatternEngineFailure);
  EXPECT_EQ(IsMatched(compiler.Search("x", 1, 0)), 1);
  EXPECT_THROW(compiler.Search("abc", 3, 0), PatternEngineFailure);
}

}  // namespace
}  // namespace kv
