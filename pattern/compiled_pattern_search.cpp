// CompiledPattern::Search, the reference search: every start position from
// `start` to the end of the buffer (leftwards under PF_RIGHT_TO_LEFT) is a
// full backtracking attempt of the top node, in order, with nothing
// precomputed and no position skipped. A pattern that can match empty
// therefore matches at `start`, in any buffer.
//
// One SearchRun serves all the positions of a search and carries its
// bounds: the step budget grows with the buffer, since every position is an
// attempt of its own.
#include "pattern/compiled_pattern.h"
#include "pattern/internal/compiled_tree.h"
#include "pattern/internal/search_run.h"
#include "platform/limits.h"

namespace kv {

SearchResult CompiledPattern::Search(std::string_view data, int start,
                                     const CancelToken* cancel) const noexcept {
  if (compileStatus_ != SearchStatus::kNoMatch) return {compileStatus_, {}};
  if (tree_ == nullptr || tree_->top == nullptr) return {};
  // Positions are ints and a search tries length + 1 of them.
  if (data.size() > limits::kMaxSearchBytes) return {SearchStatus::kDataTooLarge, {}};
  return GuardSearch([&]() -> MatchSpans {
    SearchRun run(*tree_, data, start, cancel);
    for (int position = run.First(); position != run.End(); position += run.Step()) {
      if (run.AttemptAt(position)) return run.Spans();
    }
    return {};
  });
}

}  // namespace kv
