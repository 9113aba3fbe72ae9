// A match that cannot be resumed, shared by the atomic group and the
// possessive repeat: the attempt runs once, every choice it left on the
// backtrack stack is dropped, and only what is needed to undo it stays
// (the starting position and the capture count).
#pragma once

#include "pattern/internal/match_state.h"

namespace kv {

// `attempt()` matches at the current position (non-zero on success).
template <typename Attempt>
int MatchSealed(MatchState& state, Attempt attempt) {
  const int position = state.position;
  const int stackCount = state.BacktrackCount();
  const int captureCount = state.CaptureCount();
  if (attempt() == 0) return 0;
  state.TruncateBacktrack(stackCount);
  state.Push(position);
  state.Push(captureCount);
  return 1;
}

// Undoes a MatchSealed success; there is never another way.
inline int UndoSealed(MatchState& state) {
  state.TruncateCaptures(state.Pop());
  state.position = state.Pop();
  return 0;
}

}  // namespace kv
