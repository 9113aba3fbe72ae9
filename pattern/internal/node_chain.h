// The one backtracking loop shared by SequenceNode (its items) and the fixed
// part of the repeat nodes (f copies of one sub node): match the items one
// after the other; when one fails, step back through MatchNext of the
// earlier ones, latest first, and go forward again from the item after the
// one that found another way. Since every item keeps its resumption entries
// on the shared LIFO backtrack stack, MatchNext always acts on the latest
// success, even when all items are the same node.
#pragma once

#include "pattern/internal/match_state.h"

namespace kv {

// `itemAt(i)` gives the i-th item (0 <= i < count) as a PatternNode&.
// `resume` false: the first way to match all items (Match); true: the next
// way, starting by stepping back from the last item (MatchNext).
template <typename ItemAt>
int MatchChain(MatchState& state, int count, ItemAt itemAt, bool resume) {
  int index = resume ? count : 0;
  bool forward = !resume;
  while (true) {
    if (forward) {
      if (index == count) return 1;
      if (MatchChild(itemAt(index), state) != 0) {
        ++index;
        continue;
      }
    }
    if (index == 0) return 0;
    --index;
    forward = MatchNextChild(itemAt(index), state) != 0;
    if (forward) ++index;
  }
}

}  // namespace kv
