// The engine's bounds: hostile patterns and data end in the failure that
// names the bound they hit (never a crash, a hang or "no match"), heavy but
// sane patterns keep their answers, the depth bounds hold at their edge on
// the least stack an engine thread gets, and a cancel ends a search. Nothing
// here depends on timing: each hostile case must fail with its status and
// each sane one must not fail.
#include <gtest/gtest.h>

#include <string>

#include "pattern/compiled_pattern.h"
#include "platform/engine_thread.h"
#include "platform/limits.h"
#include "support/search_status_printer.h"

namespace kv {
namespace {

std::string Repeated(const std::string& text, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += text;
  return out;
}

// A line long enough that `.{0,999}QQ` runs out of its budget on it: 1 MiB,
// or 256 KiB under the sanitizers, where every step costs ten times as much.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr std::size_t kLongLine = std::size_t{256} << 10;
#else
constexpr std::size_t kLongLine = std::size_t{1} << 20;
#endif

TEST(Bounds, HostilePatternsFailOnTheBoundTheyHitHeavySaneOnesKeepTheirAnswers) {
  const std::string line(2048, 'w');   // no line break: `.` runs to the end
  std::string binary(kLongLine, 'w');  // a line break every 256 bytes
  for (std::size_t i = 255; i < binary.size(); i += 256) binary[i] = '\n';
  const struct {
    std::string name;
    std::string pattern;
    std::string data;
    SearchStatus expected;
  } cases[] = {
      {"self-recursion without progress", "(?R)", "abc", SearchStatus::kDepthLimit},
      {"group recursion", "(a|(?1))", "b", SearchStatus::kDepthLimit},
      {"recursion deeper than the bound", "a(?R)", std::string(100000, 'a'),
       SearchStatus::kDepthLimit},
      // About 3 * n * n node calls for n bytes, against a budget linear in n.
      {"nested repeats", "(a*)*b", std::string(5000, 'a'), SearchStatus::kStepBudget},
      // 2^32 ways to fail at every position.
      {"exponential alternatives", Repeated("(|)", 32) + "x", "abc", SearchStatus::kStepBudget},
      // Thousands of steps a byte over text without line breaks.
      {"long gap over one long line", ".{0,999}QQ", std::string(kLongLine, 'w'),
       SearchStatus::kStepBudget},
      // Five stack entries a repetition: the cap, not the machine, ends it.
      {"capturing repeat over 16 MiB", "(a|b)*c", std::string(16 << 20, 'a'),
       SearchStatus::kMemoryCap},
      {"unbalanced nesting", std::string(100000, '('), "a", SearchStatus::kNestingLimit},
      {"nested conditions", Repeated("(?(?=", 20000), "a", SearchStatus::kNestingLimit},
      // Heavy but sane: each keeps its answer.
      {"long gap over a short line", ".{0,999}QQ", line, SearchStatus::kNoMatch},
      {"long gap matched", ".{0,999}QQ", line + "QQ", SearchStatus::kMatch},
      {"dot-all star", "(?s).*Q", line, SearchStatus::kNoMatch},
      {"open repeat over 1 MiB", "[a-w]{3,}y", std::string(1 << 20, 'x'), SearchStatus::kNoMatch},
      {"long gap over short lines", ".{0,999}QQ", binary, SearchStatus::kNoMatch},
      {"capturing repeat over 1000 bytes", "(a|b)*c", std::string(1000, 'a'),
       SearchStatus::kNoMatch},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CompiledPattern::Compile(c.pattern).Search(c.data).status, c.expected) << c.name;
  }
}

TEST(Bounds, ACompiledPatternSurvivesAFailedSearch) {
  const CompiledPattern compiled = CompiledPattern::Compile(Repeated("(|)", 22) + "x");
  EXPECT_EQ(compiled.Search("abc").status, SearchStatus::kStepBudget);
  EXPECT_EQ(compiled.Search("x").status, SearchStatus::kMatch);
}

TEST(Bounds, CompilerNestingHoldsAtItsEdge) {
  const int depth = limits::kMaxPatternNesting;
  const std::string nested = std::string(depth, '(') + "a" + std::string(depth, ')');
  const CompiledPattern deepest = CompiledPattern::Compile(nested);
  EXPECT_EQ(deepest.CompileStatus(), SearchStatus::kNoMatch);
  EXPECT_EQ(deepest.Search("xa").status, SearchStatus::kMatch);
  EXPECT_EQ(deepest.Search("xb").status, SearchStatus::kNoMatch);
  const CompiledPattern deeper = CompiledPattern::Compile("(" + nested + ")");
  EXPECT_EQ(deeper.CompileStatus(), SearchStatus::kNestingLimit);
  EXPECT_EQ(deeper.Search("a").status, SearchStatus::kNestingLimit);
}

// `^(a(?1)?b)$` over n a's and n b's recurses n levels deep. On the least
// stack an engine thread gets, the deepest n that the depth bound lets
// through must match, and one more level must fail on the bound: neither
// may overflow the stack.
TEST(Bounds, MatchDepthHoldsAtItsEdgeOnTheLeastEngineStack) {
  const CompiledPattern nested = CompiledPattern::Compile("^(a(?1)?b)$");
  auto statusAt = [&](int n) {
    return nested.Search(std::string(n, 'a') + std::string(n, 'b')).status;
  };
  int deepest = 0;
  SearchStatus beyond = SearchStatus::kNoMatch;
  EngineThread thread;
  ASSERT_TRUE(thread.Start([&] {
    int low = 1;                        // matches
    int high = limits::kMaxMatchDepth;  // beyond the bound: each level costs several calls
    while (high - low > 1) {
      const int middle = (low + high) / 2;
      (statusAt(middle) == SearchStatus::kMatch ? low : high) = middle;
    }
    deepest = low;
    beyond = statusAt(low + 1);
  }));
  thread.Join();
  EXPECT_GT(deepest, 300);
  EXPECT_EQ(beyond, SearchStatus::kDepthLimit);
}

TEST(SearchCancelThreaded, ACancelEndsASearchFromAnotherThread) {
  const CompiledPattern slow = CompiledPattern::Compile(".{0,999}QQ");
  const std::string line(1 << 20, 'w');
  CancelToken cancel;
  SearchStatus status = SearchStatus::kMatch;
  EngineThread thread;
  ASSERT_TRUE(thread.Start([&] { status = slow.Search(line, 0, &cancel).status; }));
  cancel.Cancel();
  thread.Join();
  EXPECT_EQ(status, SearchStatus::kCancelled);
  cancel.Reset();
  EXPECT_EQ(slow.Search(line.substr(0, 4000) + "QQ", 0, &cancel).status, SearchStatus::kMatch);
}

}  // namespace
}  // namespace kv
