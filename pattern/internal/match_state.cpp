// MatchState's stack helpers, record lookup and the bounds check of every
// node call.
#include "pattern/internal/match_state.h"

#include <cassert>

#include "pattern/engine_failure.h"
#include "platform/limits.h"

namespace kv {

int MatchState::Pop() {
  assert(!backtrack.empty() && "a node popped what it never pushed");
  if (backtrack.empty()) return 0;
  const int value = backtrack.back();
  backtrack.pop_back();
  return value;
}

void MatchState::TruncateBacktrack(int count) {
  if (count >= 0 && count < BacktrackCount()) backtrack.resize(static_cast<std::size_t>(count));
}

void MatchState::TruncateCaptures(int count) {
  if (count >= 0 && count < CaptureCount()) captures.resize(static_cast<std::size_t>(count));
}

void MatchState::PushOpenRecord(int group, int start) {
  CheckStackRoom();
  captures.insert(captures.end(), {group, start, -1, 0});
}

void MatchState::CheckStackRoom() const {
  if (backtrack.size() + captures.size() >= limits::kMaxMatchStackEntries) {
    throw PatternEngineFailure(SearchStatus::kMemoryCap);
  }
}

void MatchState::EnsureCaptureIndex(int group) {
  if (group >= static_cast<int>(captureIndex.size())) {
    captureIndex.resize(static_cast<std::size_t>(group) + 1, -1);
  }
}

int MatchState::FindRecord(int group) const {
  if (group < 0 || group >= static_cast<int>(captureIndex.size())) return -1;
  int offset = captureIndex[static_cast<std::size_t>(group)];
  if (offset < 0) return -1;
  if (offset >= CaptureCount()) offset = CaptureCount() - kRecordSize;
  return FindRecordBelow(group, offset + kRecordSize);
}

int MatchState::FindRecordBelow(int group, int from) const {
  for (int offset = from - kRecordSize; offset >= 0; offset -= kRecordSize) {
    if (captures[static_cast<std::size_t>(offset) + kRecordGroup] == group) return offset;
  }
  return -1;
}

RepeatPhase::RepeatPhase(MatchState& state, bool resuming, int copyStart, bool growing)
    : state_(state), mask_(state.phaseMask), copyStart_(state.copyStart), growing_(growing) {
  if (growing) ++state.growing;
  // Beyond 64 levels the phases cannot be told apart: no facts there.
  barrier_ = state.repeatLevel >= 64;
  if (barrier_) {
    ++state.memoBarriers;
    return;
  }
  const std::uint64_t bit = std::uint64_t{1} << state.repeatLevel;
  state.phaseMask = resuming ? (state.phaseMask | bit) : (state.phaseMask & ~bit);
  ++state.repeatLevel;
  if (copyStart != MatchState::kNoCopyStart) state.copyStart = copyStart;
}

RepeatPhase::~RepeatPhase() {
  if (growing_) --state_.growing;
  if (barrier_) {
    --state_.memoBarriers;
    return;
  }
  --state_.repeatLevel;
  state_.phaseMask = mask_;
  state_.copyStart = copyStart_;
}

void NodeCallGuard::CheckBounds(const MatchState& state) {
  if (state.steps > state.stepBudget) throw PatternEngineFailure(SearchStatus::kStepBudget);
  if (state.steps % limits::kCancelCheckInterval == 0 && state.cancel != nullptr &&
      state.cancel->IsCancelled()) {
    throw PatternEngineFailure(SearchStatus::kCancelled);
  }
  if (state.depth >= limits::kMaxMatchDepth) throw PatternEngineFailure(SearchStatus::kDepthLimit);
}

}  // namespace kv
