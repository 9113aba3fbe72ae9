// MatchPattern, the reference entry, on what the compiled pattern's search
// never sees: null and zero-terminated inputs, and a failed search, which
// it throws. What it matches is pinned by conformance.txt.
#include "pattern/match_pattern.h"

#include <gtest/gtest.h>

#include "pattern/engine_failure.h"
#include "support/search_status_printer.h"

namespace kv {
namespace {

TEST(MatchPatternEntry, NullPatternNullDataAndTheTerminatorAreHandled) {
  EXPECT_EQ(MatchPattern(nullptr, "abc", 3, 0), 0);
  EXPECT_EQ(MatchPattern("", nullptr, 0, 0), 1);
  EXPECT_EQ(MatchPattern("a", nullptr, 5, 0), 0);
  EXPECT_EQ(MatchPattern("a", "a", -1, 0), 0);
  // The pattern ends at its first zero byte.
  const char pattern[] = {'a', '\0', 'b', '\0'};
  EXPECT_EQ(MatchPattern(pattern, "xa", 2, 0), 1);
}

TEST(MatchPatternEntry, ThrowsWhatTheSearchReports) {
  try {
    MatchPattern("(?R)", "abc", 3, 0);
    ADD_FAILURE() << "no failure";
  } catch (const PatternEngineFailure& failure) {
    EXPECT_EQ(failure.Status(), SearchStatus::kDepthLimit);
  }
}

}  // namespace
}  // namespace kv
