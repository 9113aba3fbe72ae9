// FastSearch: the next candidate position comes from the start filter; a
// left-to-right search only (a right-to-left pattern's filter always says
// every position). Positions past the last byte are tried only when the
// filter tries every position, since a match that must begin with a byte
// cannot begin at the end.
//
// A memoizable tree (memo_plan.h) is searched memoized: one MemoTable
// serves every attempt of the search, so no failed state is explored twice,
// under the sanity budget of a memoized search instead of the reference's.
// Memoizing only skips work the plain attempts would do and leaves the
// stacks exactly as they would be, so the answer, spans included, is the
// reference's, and no bound is met that the reference would not meet.
#include "pattern/fast_search.h"

#include <algorithm>
#include <memory>

#include "pattern/internal/compiled_tree.h"
#include "pattern/internal/memo_table.h"
#include "pattern/internal/search_run.h"
#include "pattern/internal/start_candidates.h"
#include "platform/limits.h"

namespace kv {
namespace {

// Attempts at every position from the last to the first, for what they
// teach `memo`; their answers do not count.
void LearnBackwards(SearchRun& run) {
  for (int position = run.End() - run.Step(); position != run.First() - run.Step();
       position -= run.Step()) {
    run.AttemptAt(position);
  }
}

}  // namespace

SearchResult FastSearch(const CompiledPattern& pattern, const StartFilter& filter,
                        std::string_view data, int start, const CancelToken* cancel,
                        std::uint64_t stepBudget) noexcept {
  if (pattern.CompileStatus() != SearchStatus::kNoMatch) return {pattern.CompileStatus(), {}};
  const CompiledTree* tree = pattern.Tree();
  if (tree == nullptr || tree->top == nullptr) return {};
  if (data.size() > limits::kMaxSearchBytes) return {SearchStatus::kDataTooLarge, {}};
  const int length = static_cast<int>(data.size());
  std::unique_ptr<MemoTable> memo;
  if (tree->memoizable && length <= kMaxMemoLength) {
    try {
      memo = std::make_unique<MemoTable>(tree->memoSlots, length);
    } catch (const std::bad_alloc&) {
      return {SearchStatus::kOutOfMemory, {}};
    }
    stepBudget = std::max(stepBudget, MemoizedStepBudget(length));
  }
  const auto search = [&]() -> MatchSpans {
    SearchRun run(*tree, data, start, cancel, memo.get());
    run.RaiseBudget(stepBudget);
    if (run.RightToLeft() || filter.kind == StartFilter::Kind::kEveryPosition) {
      for (int position = run.First(); position != run.End(); position += run.Step()) {
        if (run.AttemptAt(position)) return run.Spans();
      }
      return {};
    }
    for (int position = NextCandidate(filter, data, run.First()); position < run.End();
         position = NextCandidate(filter, data, position + 1)) {
      if (run.AttemptAt(position)) return run.Spans();
    }
    return {};
  };
  const SearchResult result = GuardSearch(search);
  if (memo == nullptr || result.status != SearchStatus::kMemoryCap) return result;
  // An attempt that grows a repeat over megabytes (`(a|b)*c`) outgrows the
  // stacks before anything is learnt. Attempts from the end backwards learn
  // the same facts with short stacks, each stopping where the one after it
  // failed; the search then runs again on what they learnt.
  const SearchResult learnt = GuardSearch([&]() -> MatchSpans {
    SearchRun run(*tree, data, start, cancel, memo.get());
    run.RaiseBudget(stepBudget);
    LearnBackwards(run);
    return {};
  });
  if (learnt.status == SearchStatus::kCancelled) return learnt;
  return GuardSearch(search);
}

}  // namespace kv
