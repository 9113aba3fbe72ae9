// CompiledPattern::Search: every start position from `start` to the end of
// the buffer (leftwards under PF_RIGHT_TO_LEFT) is a full backtracking
// attempt of the top node, in order, with nothing precomputed and no
// position skipped. A pattern that can match empty therefore matches at
// `start`, in any buffer.
//
// One MatchState serves all the positions of a search, its stacks emptied
// between them, and carries the search's bounds: the step budget grows with
// the buffer, since every position is an attempt of its own.
#include <algorithm>
#include <new>

#include "pattern/compiled_pattern.h"
#include "pattern/engine_failure.h"
#include "pattern/internal/compiled_tree.h"
#include "pattern/internal/match_state.h"
#include "pattern/pattern_flags.h"
#include "platform/limits.h"

namespace kv {
namespace {

MatchSpans SpansOf(const MatchState& state, int highestGroup) {
  MatchSpans spans;
  spans.groups.resize(static_cast<std::size_t>(highestGroup) + 1);
  for (int group = 0; group <= highestGroup; ++group) {
    const int record = state.FindRecord(group);
    if (record < 0) continue;
    const int start = state.captures[static_cast<std::size_t>(record) + kRecordStart];
    const int end = state.captures[static_cast<std::size_t>(record) + kRecordEnd];
    spans.groups[static_cast<std::size_t>(group)] = {std::min(start, end), std::max(start, end)};
  }
  return spans;
}

// The search proper; throws PatternEngineFailure when a bound is exceeded.
MatchSpans RunSearch(const CompiledTree& tree, const char* data, int length, int start,
                     const CancelToken* cancel) {
  const bool rightToLeft = (tree.flags & PF_RIGHT_TO_LEFT) != 0;
  if (start < 0) start = rightToLeft ? length : 0;
  if (start > length) start = rightToLeft ? length : length + 1;
  const int end = rightToLeft ? -1 : length + 1;
  const int step = rightToLeft ? -1 : 1;

  MatchState state;
  state.text = data;
  state.length = length;
  state.searchStart = start;
  state.cancel = cancel;
  state.stepBudget = limits::kPatternStepBase +
                     limits::kPatternStepsPerByte * (static_cast<std::uint64_t>(length) + 1);
  for (int attempt = start; attempt != end; attempt += step) {
    state.backtrack.clear();
    state.captures.clear();
    state.captureIndex.clear();
    state.EnsureCaptureIndex(tree.highestGroup);
    state.captureIndex[0] = 0;
    state.captures = {0, attempt, -1, -1};
    state.position = attempt;
    if (MatchChild(*tree.top, state) != 0) {
      state.captures[kRecordEnd] = state.position;  // where the match ended
      return SpansOf(state, tree.highestGroup);
    }
  }
  return {};
}

}  // namespace

SearchResult CompiledPattern::Search(std::string_view data, int start,
                                     const CancelToken* cancel) const noexcept {
  if (compileStatus_ != SearchStatus::kNoMatch) return {compileStatus_, {}};
  if (tree_ == nullptr || tree_->top == nullptr) return {};
  // Positions are ints and a search tries length + 1 of them.
  if (data.size() > limits::kMaxSearchBytes) return {SearchStatus::kDataTooLarge, {}};
  try {
    MatchSpans spans =
        RunSearch(*tree_, data.data(), static_cast<int>(data.size()), start, cancel);
    if (!spans.IsMatched()) return {};
    return {SearchStatus::kMatch, std::move(spans)};
  } catch (const PatternEngineFailure& failure) {
    return {failure.Status(), {}};
  } catch (const std::bad_alloc&) {
    return {SearchStatus::kOutOfMemory, {}};
  }
}

}  // namespace kv
