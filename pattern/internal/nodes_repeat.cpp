// Repetition. The fixed part is a chain of `fixed` copies of the sub node
// (node_chain.h). The optional copies keep their count on the backtrack
// stack; the lazy repeat also keeps, under each count, the position where
// the latest copy began, so that it can tell whether a copy's other way
// still moves.
//
// Backtracking into a greedy repeat asks only the latest copy for another
// way, or gives that copy up; it never grows the repeat again. That is why
// `(a*)*b` costs quadratic rather than exponential time here.
//
// Memoized searches (state.memo set) keep the same stack layout, with memo
// flags in the count's top bits, and tell the state where the sub node
// runs: a counted or possessive repeat's copies are behind a memo barrier
// (their future depends on the count, or is cut short), an unbounded
// greedy or lazy repeat's copies carry its phase.
#include "pattern/internal/nodes_repeat.h"

#include <algorithm>
#include <climits>

#include "pattern/internal/match_state.h"
#include "pattern/internal/node_chain.h"
#include "pattern/internal/sealed_match.h"

namespace kv {

int RepeatNode::Match(MatchState& state) const { return MatchFixed(state); }

int RepeatNode::MatchNext(MatchState& state) const { return MatchNextFixed(state); }

int RepeatNode::FixedChain(MatchState& state, bool resume, int extraAfter) const {
  const auto chain = [&] {
    return MatchChain(
        state, fixed, [this](int) -> const PatternNode& { return *sub; }, resume);
  };
  // One copy followed by nothing of the repeat's own runs where the repeat
  // runs; several copies' futures depend on which copy is running.
  if (state.memo == nullptr || fixed == 0 || (fixed == 1 && extraAfter == 0)) return chain();
  if (fixed == 1 && extraAfter > state.length) {
    const RepeatPhase phase(state, false, MatchState::kNoCopyStart);
    return chain();
  }
  const MemoBarrier barrier(state);
  return chain();
}

int RepeatNode::MatchFixed(MatchState& state, int extraAfter) const {
  return FixedChain(state, false, extraAfter);
}

int RepeatNode::MatchNextFixed(MatchState& state, int extraAfter) const {
  return FixedChain(state, true, extraAfter);
}

int RepeatNode::MatchMoving(MatchState& state) const {
  const int start = state.position;
  if (MatchChild(*sub, state) == 0) return 0;
  while (state.position == start) {
    if (MatchNextChild(*sub, state) == 0) return 0;
  }
  return 1;
}

bool GreedyRepeatNode::Unbounded(const MatchState& state) const {
  // Every counted copy moves the position, so the count stays <= length.
  return extra > state.length;
}

int GreedyRepeatNode::Match(MatchState& state) const {
  if (MatchFixed(state, extra) == 0) return 0;
  MatchMore(state);
  return 1;
}

int GreedyRepeatNode::MatchNext(MatchState& state) const {
  if (MatchNextMore(state) != 0) return 1;
  if (MatchNextFixed(state, extra) == 0) return 0;
  MatchMore(state);
  return 1;
}

void GreedyRepeatNode::MatchMore(MatchState& state) const {
  if (state.memo != nullptr) {
    MatchMoreMemo(state);
    return;
  }
  int count = 0;
  while (count < extra && MatchMoving(state) != 0) ++count;
  state.Push(count);
}

int GreedyRepeatNode::MatchNextMore(MatchState& state) const {
  if (state.memo != nullptr) return MatchNextMoreMemo(state);
  const int count = state.Pop();
  if (count == 0) return 0;
  state.Push(MatchNextChild(*sub, state) != 0 ? count : count - 1);
  return 1;
}

// An unbounded repeat learns, for a copy that begins at a position, that
// nothing from there on (that copy's ways, the copies after it, the rest of
// the attempt) leads to a match: it has seen all of that fail when it gives
// the copy up. The fact holds wherever the repeat runs alike, so the next
// time it refuses to grow there.
void GreedyRepeatNode::MatchMoreMemo(MatchState& state) const {
  if (oneByteStep != 0) {
    MatchMoreOneByte(state);
    return;
  }
  if (!Unbounded(state) || memoSlot < 0) {
    const MemoBarrier barrier(state);
    int count = 0;
    while (count < extra && MatchMoving(state) != 0) ++count;
    state.Push(count);
    return;
  }
  int flags = 0;
  if (state.memoBarriers == 0) {
    flags = kMemoHolds | (state.position == state.copyStart ? kMemoFirstAtCopyStart : 0);
  }
  const bool usable = state.growing == 0;
  int count = 0;
  while (count < extra) {
    const int at = state.position;
    const bool facts =
        (flags & kMemoHolds) != 0 && (count > 0 || (flags & kMemoFirstAtCopyStart) == 0);
    if (facts && usable && state.memo->Failed(memoSlot, at, state.phaseMask)) break;
    int moved = 0;
    {
      const RepeatPhase phase(state, false, at, true);
      moved = MatchMoving(state);
    }
    if (moved == 0) {
      if (facts) state.memo->MarkFailed(memoSlot, at, state.phaseMask);
      break;
    }
    ++count;
  }
  state.Push(count | flags);
}

int GreedyRepeatNode::MatchNextMoreMemo(MatchState& state) const {
  if (oneByteStep != 0) return MatchNextMoreOneByte(state);
  const int raw = state.Pop();
  const int count = raw & kMemoCountMask;
  const int flags = raw & ~kMemoCountMask;
  if (count == 0) return 0;
  int found = 0;
  if (Unbounded(state) && memoSlot >= 0) {
    const RepeatPhase phase(state, true, MatchState::kNoCopyStart);
    found = MatchNextChild(*sub, state);
  } else {
    const MemoBarrier barrier(state);
    found = MatchNextChild(*sub, state);
  }
  if (found != 0) {
    state.Push(raw);
    return 1;
  }
  // The latest copy is given up: the position is back where it began.
  if ((flags & kMemoHolds) != 0 && (count > 1 || (flags & kMemoFirstAtCopyStart) == 0)) {
    state.memo->MarkFailed(memoSlot, state.position, state.phaseMask);
  }
  state.Push((count - 1) | flags);
  return 1;
}

// A one-byte sub node matches once per byte and pushes nothing, so `count`
// copies are the next `count` bytes it accepts (cached across attempts),
// and giving one back steps one byte back.
void GreedyRepeatNode::MatchMoreOneByte(MatchState& state) const {
  const int run = state.memo->LeafRun(memoSlot, *sub, oneByteStep, state);
  const int count = std::min(run, extra);
  state.position += oneByteStep * count;
  state.Push(count | (state.MemoHolds(state.position) ? kMemoHolds : 0));
}

// Called when what followed the current way failed: that is learnt, and
// ways inside a run of such failures are skipped at once. A way is a fact
// only where it was made where facts hold (kMemoHolds), and is skipped only
// where they hold now.
int GreedyRepeatNode::MatchNextMoreOneByte(MatchState& state) const {
  MemoTable& memo = *state.memo;
  const int raw = state.Pop();
  int count = raw & kMemoCountMask;
  if ((raw & kMemoHolds) != 0)
    memo.MarkContinuationFailed(memoSlot, state.position, state.phaseMask);
  if (count == 0) return 0;
  const int none = state.position - oneByteStep * count;  // the way with no optional copy
  --count;
  state.position -= oneByteStep;
  int low = 0;
  int high = 0;
  if (state.MemoUsable(state.position) &&
      memo.ContinuationFailed(memoSlot, state.position, state.phaseMask, low, high)) {
    const int next = oneByteStep > 0 ? low - 1 : high + 1;  // the first way outside the run
    const bool past = oneByteStep > 0 ? next < none : next > none;
    if (past) {
      state.position = none;
      count = 0;
      if (state.MemoUsable(none)) return 0;  // `none` lies in the run too
    } else {
      state.position = next;
      count = (next - none) * oneByteStep;
    }
  }
  state.Push(count | (state.MemoHolds(state.position) ? kMemoHolds : 0));
  return 1;
}

int LazyRepeatNode::Match(MatchState& state) const {
  if (state.memo != nullptr && (memoSlot < 0 || !Unbounded(state))) {
    const MemoBarrier barrier(state);
    if (MatchFixed(state) == 0) return 0;
  } else if (MatchFixed(state, extra) == 0) {
    return 0;
  }
  state.Push(0);
  return 1;
}

int LazyRepeatNode::MatchNext(MatchState& state) const {
  if (state.memo != nullptr && (memoSlot < 0 || !Unbounded(state))) {
    const MemoBarrier barrier(state);
    if (LazyMatchNextMore(state) != 0) return 1;
    if (MatchNextFixed(state) == 0) return 0;
  } else {
    if ((state.memo != nullptr ? LazyMatchNextMoreMemo(state) : LazyMatchNextMore(state)) != 0) {
      return 1;
    }
    if (MatchNextFixed(state, extra) == 0) return 0;
  }
  state.Push(0);
  return 1;
}

int LazyRepeatNode::LazyMatchNextMore(MatchState& state) const {
  const int start = state.position;
  int count = state.Pop();
  if (count < extra && MatchMoving(state) != 0) {
    state.Push(start);
    state.Push(count + 1);
    return 1;
  }
  // No further copy: look for another way of the latest copies, latest first.
  while (count > 0) {
    const int copyStart = state.Pop();
    while (MatchNextChild(*sub, state) != 0) {
      if (state.position != copyStart) {
        state.Push(copyStart);
        state.Push(count);
        return 1;
      }
    }
    --count;
  }
  return 0;
}

// An unbounded lazy repeat learns, like the greedy one, which copy starts
// lead nowhere; its copies have one phase only, since every way of a copy
// is followed alike (the rest of the attempt, then a further copy), and a
// copy's start is kept under its count with the memo flag above it.
int LazyRepeatNode::LazyMatchNextMoreMemo(MatchState& state) const {
  const int start = state.position;
  int count = state.Pop();
  const int holds = state.memoBarriers == 0 && start != state.copyStart ? kMemoHolds : 0;
  if (holds == 0 || state.growing != 0 || !state.memo->Failed(memoSlot, start, state.phaseMask)) {
    int moved = 0;
    {
      const RepeatPhase phase(state, false, start);
      moved = MatchMoving(state);
    }
    if (moved != 0) {
      state.Push(start | holds);
      state.Push(count + 1);
      return 1;
    }
    if (holds != 0) state.memo->MarkFailed(memoSlot, start, state.phaseMask);
  }
  while (count > 0) {
    const int raw = state.Pop();
    const int copyStart = raw & kMemoCountMask;
    while (true) {
      int found = 0;
      {
        const RepeatPhase phase(state, false, copyStart);
        found = MatchNextChild(*sub, state);
      }
      if (found == 0) break;
      if (state.position != copyStart) {
        state.Push(raw);
        state.Push(count);
        return 1;
      }
    }
    if ((raw & kMemoHolds) != 0) state.memo->MarkFailed(memoSlot, copyStart, state.phaseMask);
    --count;
  }
  return 0;
}

int PossessiveRepeatNode::Match(MatchState& state) const {
  const MemoBarrier barrier(state);
  return MatchSealed(state, [&] { return GreedyRepeatNode::Match(state); });
}

int PossessiveRepeatNode::MatchNext(MatchState& state) const { return UndoSealed(state); }

}  // namespace kv
