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
// The engine's two run-time bounds live here too: every node call counts one
// step against the search's budget, and the depth of nested node calls is
// limited (see platform/limits.h). Going over either throws
// PatternEngineFailure.
#pragma once

#include <cstdint>
#include <vector>

#include "pattern/pattern_node.h"

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

  // The byte at `index` as a signed value; the caller keeps index in range.
  int ByteAt(int index) const { return static_cast<signed char>(text[index]); }

  void Push(int value) { backtrack.push_back(value); }
  // The top of the backtrack stack, or 0 when it is empty.
  int Pop();
  int BacktrackCount() const { return static_cast<int>(backtrack.size()); }
  void TruncateBacktrack(int count);

  int CaptureCount() const { return static_cast<int>(captures.size()); }
  void TruncateCaptures(int count);

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
};

// Counts one step and one level of nesting for the duration of a node call.
class NodeCallGuard {
 public:
  explicit NodeCallGuard(MatchState& state);
  NodeCallGuard(const NodeCallGuard&) = delete;
  NodeCallGuard& operator=(const NodeCallGuard&) = delete;
  ~NodeCallGuard() { --state_.depth; }

 private:
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
