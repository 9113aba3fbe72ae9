// What a search answers: matched or not, where each group matched, or why
// the engine gave up. The engine gives up only when a bound is exceeded
// (see platform/limits.h) or the caller cancels; such a search is neither a
// match nor a clean "no match", and callers must not take it for either.
#pragma once

#include <vector>

namespace kv {

enum class SearchStatus {
  kNoMatch,
  kMatch,
  // Engine failures:
  kStepBudget,    // more node calls than the search's budget
  kMemoryCap,     // the backtrack and capture stacks outgrew their cap
  kDepthLimit,    // node calls nested deeper than the stack allows
  kNestingLimit,  // the pattern's groups nest deeper than the compiler allows
  kDataTooLarge,  // more bytes than the engine can count in positions
  kOutOfMemory,   // an allocation failed
  kCancelled,     // the caller's cancel token was set
};

// A short English phrase for a failure ("exceeded its step budget"), for
// tools and diagnostics.
const char* DescribeSearchStatus(SearchStatus status);

// One group's span: start <= end, or both -1 when the group took no part.
struct GroupSpan {
  int start = -1;
  int end = -1;
  bool operator==(const GroupSpan&) const = default;
};

// The spans of a match: empty when there is none; otherwise one entry per
// group number from 0 (the whole match) to the pattern's highest group.
struct MatchSpans {
  std::vector<GroupSpan> groups;

  bool IsMatched() const { return !groups.empty(); }
  bool operator==(const MatchSpans&) const = default;
};

struct SearchResult {
  SearchStatus status = SearchStatus::kNoMatch;
  MatchSpans spans;  // set for kMatch only

  bool Matched() const { return status == SearchStatus::kMatch; }
  bool Failed() const { return status != SearchStatus::kMatch && status != SearchStatus::kNoMatch; }
};

}  // namespace kv
