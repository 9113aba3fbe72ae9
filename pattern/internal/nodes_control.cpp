// Lookaround, atomic groups, conditionals and recursion.
//
// Captures made inside a positive lookaround, an atomic group or a
// conditional's condition stay visible after it; each of these pushes the
// capture stack's count from before, so that its MatchNext can drop them.
//
// What runs inside lookaround, an atomic group or a conditional is behind a
// memo barrier (match_state.h): its future is cut short or chosen by the
// node, so a memoized search learns nothing there.
#include "pattern/internal/nodes_control.h"

#include "pattern/internal/match_state.h"
#include "pattern/internal/sealed_match.h"

namespace kv {

int LookaroundNode::Match(MatchState& state) const {
  const int position = state.position;
  const int stackCount = state.BacktrackCount();
  const int captureCount = state.CaptureCount();
  const MemoBarrier barrier(state);
  const bool found = MatchChild(*sub, state) != 0;
  state.TruncateBacktrack(stackCount);
  state.position = position;
  if (found != positive) {
    state.TruncateCaptures(captureCount);
    return 0;
  }
  state.Push(captureCount);
  return 1;
}

int LookaroundNode::MatchNext(MatchState& state) const {
  state.TruncateCaptures(state.Pop());
  return 0;
}

int AtomicGroupNode::Match(MatchState& state) const {
  const MemoBarrier barrier(state);
  return MatchSealed(state, [&] { return MatchChild(*sub, state); });
}

int AtomicGroupNode::MatchNext(MatchState& state) const { return UndoSealed(state); }

bool ConditionalNode::ConditionHolds(MatchState& state) const {
  if (group >= 0) return state.FindRecord(group) >= 0;
  if (condition == nullptr) return true;
  const int position = state.position;
  const int stackCount = state.BacktrackCount();
  const bool holds = MatchChild(*condition, state) != 0;
  state.TruncateBacktrack(stackCount);
  state.position = position;
  return holds;
}

int ConditionalNode::Match(MatchState& state) const {
  const MemoBarrier barrier(state);
  const int captureCount = state.CaptureCount();
  const bool holds = ConditionHolds(state);
  const PatternNode* branch = Branch(holds);
  if (branch != nullptr && MatchChild(*branch, state) == 0) {
    state.TruncateCaptures(captureCount);
    return 0;
  }
  state.Push(captureCount);
  state.Push(holds ? 1 : 0);
  return 1;
}

int ConditionalNode::MatchNext(MatchState& state) const {
  const MemoBarrier barrier(state);
  const bool holds = state.Pop() != 0;
  const int captureCount = state.Pop();
  const PatternNode* branch = Branch(holds);
  if (branch != nullptr && MatchNextChild(*branch, state) != 0) {
    state.Push(captureCount);
    state.Push(holds ? 1 : 0);
    return 1;
  }
  state.TruncateCaptures(captureCount);
  return 0;
}

int RecursionNode::Match(MatchState& state) const {
  return target == nullptr ? 1 : MatchChild(*target, state);
}

int RecursionNode::MatchNext(MatchState& state) const {
  return target == nullptr ? 0 : MatchNextChild(*target, state);
}

}  // namespace kv
