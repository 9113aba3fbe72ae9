// SearchRun: the state preparation and the single attempt shared by the
// reference search and the fast search.
#include "pattern/internal/search_run.h"

#include <algorithm>

#include "pattern/pattern_flags.h"
#include "platform/limits.h"

namespace kv {

std::uint64_t SearchStepBudget(int length) {
  return limits::kPatternStepBase +
         limits::kPatternStepsPerByte * (static_cast<std::uint64_t>(length) + 1);
}

std::uint64_t MemoizedStepBudget(int length) {
  return limits::kPatternStepBase +
         limits::kMemoizedStepsPerByte * (static_cast<std::uint64_t>(length) + 1);
}

SearchRun::SearchRun(const CompiledTree& tree, std::string_view data, int start,
                     const CancelToken* cancel, MemoTable* memo)
    : tree_(tree) {
  const int length = static_cast<int>(data.size());
  const bool rightToLeft = (tree.flags & PF_RIGHT_TO_LEFT) != 0;
  if (start < 0) start = rightToLeft ? length : 0;
  if (start > length) start = rightToLeft ? length : length + 1;
  first_ = start;
  end_ = rightToLeft ? -1 : length + 1;
  step_ = rightToLeft ? -1 : 1;
  state_.text = data.data();
  state_.length = length;
  state_.searchStart = start;
  state_.cancel = cancel;
  state_.stepBudget = SearchStepBudget(length);
  state_.memo = memo;
}

void SearchRun::RaiseBudget(std::uint64_t steps) {
  state_.stepBudget = std::max(state_.stepBudget, steps);
}

bool SearchRun::AttemptAt(int position) {
  state_.backtrack.clear();
  state_.captures.clear();
  state_.captureIndex.clear();
  state_.EnsureCaptureIndex(tree_.highestGroup);
  state_.captureIndex[0] = 0;
  state_.captures = {0, position, -1, -1};
  state_.position = position;
  if (MatchChild(*tree_.top, state_) == 0) return false;
  state_.captures[kRecordEnd] = state_.position;  // where the match ended
  return true;
}

MatchSpans SearchRun::Spans() const {
  MatchSpans spans;
  spans.groups.resize(static_cast<std::size_t>(tree_.highestGroup) + 1);
  for (int group = 0; group <= tree_.highestGroup; ++group) {
    const int record = state_.FindRecord(group);
    if (record < 0) continue;
    const int start = state_.captures[static_cast<std::size_t>(record) + kRecordStart];
    const int end = state_.captures[static_cast<std::size_t>(record) + kRecordEnd];
    spans.groups[static_cast<std::size_t>(group)] = {std::min(start, end), std::max(start, end)};
  }
  return spans;
}

}  // namespace kv
