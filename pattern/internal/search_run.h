// SearchRun: one search of one buffer, as a sequence of attempts at start
// positions. The reference search tries every position in turn; the fast
// search tries only those its start filter lets through. Both go through
// this class, so an attempt at a given position is the same work with the
// same outcome in either: the state is emptied before each attempt and
// only the step count carries over.
//
// AttemptAt throws PatternEngineFailure when a bound is exceeded; GuardSearch
// turns that (and exhausted memory) into a failed SearchResult.
#pragma once

#include <cstdint>
#include <new>
#include <string_view>

#include "pattern/cancel_token.h"
#include "pattern/engine_failure.h"
#include "pattern/internal/compiled_tree.h"
#include "pattern/internal/match_state.h"
#include "pattern/search_result.h"

namespace kv {

// The step budget of a search of `length` bytes: a base plus an allowance
// for every start position (platform/limits.h).
std::uint64_t SearchStepBudget(int length);

// The sanity budget of a memoized search of `length` bytes.
std::uint64_t MemoizedStepBudget(int length);

class SearchRun {
 public:
  // `start` is clamped as the search loop has always done: negative means
  // the natural first position, past the end means none (left to right).
  // `memo`, when set, makes the attempts memoized (the tree must be
  // memoizable); it outlives the run and may serve several runs of the same
  // buffer, since what it holds is true of the buffer.
  SearchRun(const CompiledTree& tree, std::string_view data, int start, const CancelToken* cancel,
            MemoTable* memo = nullptr);

  int First() const { return first_; }
  // One past the last position, in the direction of Step().
  int End() const { return end_; }
  int Step() const { return step_; }
  bool RightToLeft() const { return step_ < 0; }

  // Raises the search's step budget to `steps` when that is more; it is
  // never lowered below the reference's.
  void RaiseBudget(std::uint64_t steps);

  // Tries a match starting at `position`; true when found (Spans() then
  // tells where).
  bool AttemptAt(int position);

  MatchSpans Spans() const;

 private:
  const CompiledTree& tree_;
  MatchState state_;
  int first_ = 0;
  int end_ = 0;
  int step_ = 1;
};

// Runs `search` (returning MatchSpans) and turns its outcome into a
// SearchResult, engine failures included.
template <typename Search>
SearchResult GuardSearch(Search&& search) noexcept {
  try {
    MatchSpans spans = search();
    if (!spans.IsMatched()) return {};
    return {SearchStatus::kMatch, std::move(spans)};
  } catch (const PatternEngineFailure& failure) {
    return {failure.Status(), {}};
  } catch (const std::bad_alloc&) {
    return {SearchStatus::kOutOfMemory, {}};
  }
}

}  // namespace kv
