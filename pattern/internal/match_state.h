// MatchState: everything one search changes. The compiled pattern stays
// untouched; a search owns one state, and the three stacks are emptied
// between start positions so nothing of a failed attempt carries over.
//
// Capture records are 4 ints on the capture stack: group number, start,
// end (-1 while the group is open) and a nesting field (0 when opened,
// negative while recursion has re-entered the open group, the closing
// counter's value once closed). The capture index maps a group number to the
// offset of its latest record.
//
// The engine's run-time bounds live here too: every node call counts one
// step against the search's budget and looks at the cancel token now and
// then, the depth of nested node calls is limited, and the backtrack and
// capture stacks together have a cap (see platform/limits.h). Going over
// any of them, or a cancel, throws PatternEngineFailure.
//
// A memoized search (memo set) also tracks where each node runs, since a
// fact about a node holds only where what follows it is the same: how many
// memo barriers enclose it (lookaround, atomic group, conditional, lazy,
// possessive or counted repeat: their copies' futures depend on more than
// the position), the phase of each enclosing unbounded greedy repeat (bit
// set: the repeat is resuming that copy, which then cannot grow further;
// clear: still growing or matching its one fixed copy), and where the
// innermost growing copy began (a way that ends there is empty and the
// repeat refuses it). A fact is used only where no enclosing greedy repeat
// is growing: a growing copy that fails turns into a resumed one, so
// skipping its failure would go on in the wrong phase.
#pragma once

#include <cstdint>
#include <vector>

#include "pattern/cancel_token.h"
#include "pattern/internal/memo_table.h"
#include "pattern/internal/pattern_node.h"
#include "platform/limits.h"

namespace kv {

inline constexpr int kRecordGroup = 0;
inline constexpr int kRecordStart = 1;
inline constexpr int kRecordEnd = 2;
inline constexpr int kRecordNesting = 3;
inline constexpr int kRecordSize = 4;

struct MatchState {
  std::vector<int> backtrack;
  std::vector<int> captures;
  std::vector<int> captureIndex;
  int position = 0;
  int searchStart = 0;
  int closingCounter = 0;
  const char* text = nullptr;
  int length = 0;

  std::uint64_t steps = 0;
  std::uint64_t stepBudget = 0;
  int depth = 0;
  const CancelToken* cancel = nullptr;

  MemoTable* memo = nullptr;
  int memoBarriers = 0;
  int repeatLevel = 0;          // enclosing unbounded greedy repeats
  std::uint64_t phaseMask = 0;  // bit i: the i-th of them (outermost 0) is resuming
  int copyStart = kNoCopyStart;
  int growing = 0;  // enclosing greedy repeats growing a copy

  static constexpr int kNoCopyStart = -2;

  // Whether a fact about a node at `position` may be learnt here.
  bool MemoHolds(int position) const {
    return memo != nullptr && memoBarriers == 0 && position != copyStart;
  }
  // Whether one may be used here.
  bool MemoUsable(int position) const { return growing == 0 && MemoHolds(position); }

  // The byte at `index` as a signed value; the caller keeps index in range.
  int ByteAt(int index) const { return static_cast<signed char>(text[index]); }

  void Push(int value) {
    CheckStackRoom();
    backtrack.push_back(value);
  }
  // The top of the backtrack stack. Every Pop answers a Push of the same
  // node, so an empty stack is a broken protocol: asserted, and 0 in builds
  // without assertions.
  int Pop();
  int BacktrackCount() const { return static_cast<int>(backtrack.size()); }
  void TruncateBacktrack(int count);

  int CaptureCount() const { return static_cast<int>(captures.size()); }
  void TruncateCaptures(int count);
  // Pushes the record (group, start, -1, 0) of a newly opened group.
  void PushOpenRecord(int group, int start);

  // Makes the capture index hold `group`, new entries -1 (no record).
  void EnsureCaptureIndex(int group);

  // Offset of the latest surviving record of `group`, or -1 when it has
  // none. The search starts at the capture index's offset, or at the top
  // record when that offset was cut off by a truncation, and steps down to
  // the first record of the group. A truncation by lookaround, atomic group,
  // possessive repeat or conditional does not rewind the capture index, so
  // this also serves back-references and conditions: a group whose latest
  // record was discarded counts with its latest surviving one, or as unset.
  int FindRecord(int group) const;

  // Offset of the record of `group` below offset `from`, or -1.
  int FindRecordBelow(int group, int from) const;

 private:
  // Throws when the stacks have reached their cap.
  void CheckStackRoom() const;
};

// Counts one enclosing memo barrier for its lifetime.
class MemoBarrier {
 public:
  explicit MemoBarrier(MatchState& state) : state_(state) { ++state_.memoBarriers; }
  MemoBarrier(const MemoBarrier&) = delete;
  MemoBarrier& operator=(const MemoBarrier&) = delete;
  ~MemoBarrier() { --state_.memoBarriers; }

 private:
  MatchState& state_;
};

// Marks, for its lifetime, that an unbounded repeat runs its sub node: a
// copy that began at `copyStart` (the repeat refuses its empty ways;
// kNoCopyStart keeps the enclosing start, for a fixed copy or a resumed
// one), resuming or not, growing a greedy repeat or not.
class RepeatPhase {
 public:
  RepeatPhase(MatchState& state, bool resuming, int copyStart, bool growing = false);
  RepeatPhase(const RepeatPhase&) = delete;
  RepeatPhase& operator=(const RepeatPhase&) = delete;
  ~RepeatPhase();

 private:
  MatchState& state_;
  std::uint64_t mask_;
  int copyStart_;
  bool barrier_;
  bool growing_;
};

// Counts one step and one level of nesting for the duration of a node call.
// The common case is inline: it runs on every node call.
class NodeCallGuard {
 public:
  explicit NodeCallGuard(MatchState& state) : state_(state) {
    static_assert((limits::kCancelCheckInterval & (limits::kCancelCheckInterval - 1)) == 0);
    ++state.steps;
    if (state.steps > state.stepBudget || (state.steps & (limits::kCancelCheckInterval - 1)) == 0 ||
        state.depth >= limits::kMaxMatchDepth) {
      CheckBounds(state);
    }
    ++state.depth;
  }
  NodeCallGuard(const NodeCallGuard&) = delete;
  NodeCallGuard& operator=(const NodeCallGuard&) = delete;
  ~NodeCallGuard() { --state_.depth; }

 private:
  // Throws when a bound is exceeded or the search is cancelled.
  static void CheckBounds(const MatchState& state);

  MatchState& state_;
};

inline int MatchChild(const PatternNode& node, MatchState& state) {
  NodeCallGuard guard(state);
  return node.Match(state);
}

inline int MatchNextChild(const PatternNode& node, MatchState& state) {
  NodeCallGuard guard(state);
  return node.MatchNext(state);
}

}  // namespace kv
