// MatchPattern as the scan engine calls it. Placement: a signature's hit is
// found at offset 0, in the middle and ending at the very last byte, in a
// tiny and in a large buffer. Bounds: hostile patterns end in
// PatternEngineFailure (deep recursion, runaway backtracking, deep nesting)
// while heavy but sane patterns keep their answers; nothing depends on
// timing, each hostile case must throw and each sane one must not.
#include "pattern/match_pattern.h"

#include <gtest/gtest.h>

#include <string>

#include "pattern/engine_failure.h"
#include "pattern/pattern_compiler.h"
#include "pattern_test_support.h"
#include "platform/limits.h"

namespace kv {
namespace {

using test::Match;

struct Signature {
  std::string pattern;
  std::string hit;  // bytes the pattern matches, neutral at both edges
};

const Signature kSignatures[] = {
    {"KV-PLACED-TEST", "KV-PLACED-TEST"},
    {"X[0-9]{4}Y", "X2024Y"},
    {"(?i)trojan", "TroJan"},
    {"worm|virus|trojan", "virus"},
    {"(?<=ab)cd", "abcd"},
    {"\\bword\\b", "word"},
    {"MZ.{0,8}PE\\x00", std::string("MZ1234PE\0", 9)},
    {"[\\x80-\\xff]{3}", "\xe9\x80\xff"},
};

TEST(Placement, AHitIsFoundWhereverItLiesInASmallOrLargeBuffer) {
  for (const std::size_t fillerSize : {7, 32 * 1024}) {
    const std::string filler(fillerSize, ' ');
    for (const auto& [pattern, hit] : kSignatures) {
      EXPECT_EQ(Match(pattern, filler), 0) << pattern << " in filler";
      EXPECT_EQ(Match(pattern, hit), 1) << pattern << " alone";
      EXPECT_EQ(Match(pattern, hit + filler), 1) << pattern << " at offset 0";
      EXPECT_EQ(Match(pattern, filler + hit + filler), 1) << pattern << " in the middle";
      EXPECT_EQ(Match(pattern, filler + hit), 1) << pattern << " at the end";
      // Cut by one byte at either end the hit is gone.
      EXPECT_EQ(Match(pattern, filler + hit.substr(1)), 0) << pattern;
      EXPECT_EQ(Match(pattern, hit.substr(0, hit.size() - 1) + filler), 0) << pattern;
    }
  }
}

TEST(Placement, NullPatternNullDataAndTheTerminatorAreHandled) {
  EXPECT_EQ(MatchPattern(nullptr, "abc", 3, 0), 0);
  EXPECT_EQ(MatchPattern("", nullptr, 0, 0), 1);
  EXPECT_EQ(MatchPattern("a", nullptr, 5, 0), 0);
  EXPECT_EQ(MatchPattern("a", "a", -1, 0), 0);
  // The pattern ends at its first zero byte.
  const char pattern[] = {'a', '\0', 'b', '\0'};
  EXPECT_EQ(MatchPattern(pattern, "xa", 2, 0), 1);
}

std::string Repeated(const std::string& text, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += text;
  return out;
}

TEST(Bounds, RecursionFailsOnlyBeyondTheDepthBound) {
  EXPECT_THROW(Match("(?R)", "abc"), PatternEngineFailure);
  EXPECT_THROW(Match("(a|(?1))", "b"), PatternEngineFailure);
  EXPECT_THROW(Match("a(?R)", std::string(100000, 'a')), PatternEngineFailure);
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
  EXPECT_THROW(Match(std::string(100000, '('), "a"), PatternEngineFailure);
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
  EXPECT_EQ(Match("[a-w]{3,}y", std::string(1 << 20, 'x')), 0);
}

TEST(Bounds, ACompiledPatternSurvivesAFailedSearch) {
  PatternCompiler compiler;
  const std::string pattern = Repeated("(|)", 22) + "x";
  compiler.Compile(pattern.data(), static_cast<int>(pattern.size()), 0);
  EXPECT_THROW(compiler.Search("abc", 3, 0), PatternEngineFailure);
  EXPECT_EQ(IsMatched(compiler.Search("x", 1, 0)), 1);
}

}  // namespace
}  // namespace kv
