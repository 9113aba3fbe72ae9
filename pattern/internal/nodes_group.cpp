// Group marks, sequences and alternations.
//
// A group's record is found by FindRecord (match_state.h). An opening mark
// met while its group's record is still open has been reached through
// recursion: instead of starting a new capture it counts the re-entry in the
// record's nesting field, and the closing mark counts it off again, so the
// outermost pass through the group is the one that is captured.
#include "pattern/internal/nodes_group.h"

#include "pattern/internal/match_state.h"
#include "pattern/internal/node_chain.h"

namespace kv {
namespace {

int& Field(MatchState& state, int record, int field) {
  return state.captures[static_cast<std::size_t>(record) + static_cast<std::size_t>(field)];
}

int OpenMatch(MatchState& state, int group) {
  state.EnsureCaptureIndex(group);
  const int record = state.FindRecord(group);
  if (record >= 0 && Field(state, record, kRecordEnd) == -1) {
    --Field(state, record, kRecordNesting);
    return 1;
  }
  state.captureIndex[static_cast<std::size_t>(group)] = state.CaptureCount();
  state.PushOpenRecord(group, state.position);
  return 1;
}

void OpenMatchNext(MatchState& state, int group) {
  const int record = state.FindRecord(group);
  if (record < 0) return;
  if (Field(state, record, kRecordNesting) < 0) {
    ++Field(state, record, kRecordNesting);
    return;
  }
  state.TruncateCaptures(state.CaptureCount() - kRecordSize);
  state.captureIndex[static_cast<std::size_t>(group)] = state.FindRecordBelow(group, record);
}

void CloseMatch(MatchState& state, int group) {
  const int record = state.FindRecord(group);
  if (record < 0) return;
  if (Field(state, record, kRecordNesting) < 0) {
    ++Field(state, record, kRecordNesting);  // leaving one recursion level
    return;
  }
  Field(state, record, kRecordEnd) = state.position;
  Field(state, record, kRecordNesting) = state.closingCounter++;
}

void CloseMatchNext(MatchState& state, int group) {
  const int record = state.FindRecord(group);
  if (record < 0) return;
  if (Field(state, record, kRecordEnd) != -1) {
    Field(state, record, kRecordEnd) = -1;
    Field(state, record, kRecordNesting) = 0;
  } else {
    --Field(state, record, kRecordNesting);
  }
}

}  // namespace

int GroupMarkNode::Match(MatchState& state) const {
  if (group < 0) return 0;
  if (closing) {
    CloseMatch(state, group);
    return 1;
  }
  return OpenMatch(state, group);
}

int GroupMarkNode::MatchNext(MatchState& state) const {
  if (closing) {
    CloseMatchNext(state, group);
  } else {
    OpenMatchNext(state, group);
  }
  return 0;
}

// The items of `sequence` in matching order: last to first right-to-left.
auto InMatchOrder(const SequenceNode& sequence) {
  return [&sequence](int i) -> const PatternNode& {
    const std::size_t count = sequence.items.size();
    const std::size_t index = static_cast<std::size_t>(i);
    return *sequence.items[sequence.rightToLeft ? count - 1 - index : index];
  };
}

int SequenceNode::Match(MatchState& state) const {
  return MatchChain(state, static_cast<int>(items.size()), InMatchOrder(*this), false);
}

int SequenceNode::MatchNext(MatchState& state) const {
  return MatchChain(state, static_cast<int>(items.size()), InMatchOrder(*this), true);
}

int AlternationNode::Match(MatchState& state) const {
  if (items.empty()) return 1;
  // The chosen branch goes on the stack with the memo flag above it.
  const int holds = memoSlot >= 0 && state.MemoHolds(state.position) ? kMemoHolds : 0;
  if (holds != 0 && state.growing == 0 &&
      state.memo->Failed(memoSlot, state.position, state.phaseMask)) {
    return 0;
  }
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (MatchChild(*items[i], state) != 0) {
      state.Push(static_cast<int>(i) | holds);
      return 1;
    }
  }
  if (holds != 0) state.memo->MarkFailed(memoSlot, state.position, state.phaseMask);
  return 0;
}

int AlternationNode::MatchNext(MatchState& state) const {
  if (items.empty()) return 0;
  const int raw = state.Pop();
  const int holds = raw & kMemoHolds;
  const int chosen = raw & ~kMemoHolds;
  if (chosen < 0 || chosen >= static_cast<int>(items.size())) return 0;
  if (MatchNextChild(*items[static_cast<std::size_t>(chosen)], state) != 0) {
    state.Push(raw);
    return 1;
  }
  for (std::size_t i = static_cast<std::size_t>(chosen) + 1; i < items.size(); ++i) {
    if (MatchChild(*items[i], state) != 0) {
      state.Push(static_cast<int>(i) | holds);
      return 1;
    }
  }
  // Every branch and all that followed each failed, from this position.
  if (holds != 0) state.memo->MarkFailed(memoSlot, state.position, state.phaseMask);
  return 0;
}

}  // namespace kv
