// FastSearch: the next candidate position comes from the start filter; a
// left-to-right search only (a right-to-left pattern's filter always says
// every position). Positions past the last byte are tried only when the
// filter tries every position, since a match that must begin with a byte
// cannot begin at the end.
#include "pattern/fast_search.h"

#include <cstring>

#include "pattern/internal/compiled_tree.h"
#include "pattern/internal/search_run.h"
#include "platform/limits.h"

namespace kv {
namespace {

// The first position from `from` on (up to `length`) that the filter lets
// through, or `length + 1` for none.
int NextCandidate(const StartFilter& filter, std::string_view data, int from) {
  const int length = static_cast<int>(data.size());
  if (from >= length) return filter.kind == StartFilter::Kind::kEveryPosition ? from : length + 1;
  const char* begin = data.data() + from;
  const std::size_t rest = static_cast<std::size_t>(length - from);
  const void* found = nullptr;
  switch (filter.kind) {
    case StartFilter::Kind::kEveryPosition:
      return from;
    case StartFilter::Kind::kPrefix: {
      // Where the match starting at `from` would hold the prefix.
      const auto offset = static_cast<std::size_t>(filter.prefixOffset);
      if (offset >= rest) return length + 1;
      found = memmem(begin + offset, rest - offset, filter.prefix.data(), filter.prefix.size());
      if (found != nullptr) found = static_cast<const char*>(found) - offset;
      break;
    }
    case StartFilter::Kind::kFirstBytes:
      for (int position = from; position < length; ++position) {
        if (filter.firstBytes[static_cast<unsigned char>(data[position])]) return position;
      }
      return length + 1;
  }
  return found == nullptr ? length + 1
                          : static_cast<int>(static_cast<const char*>(found) - data.data());
}

}  // namespace

SearchResult FastSearch(const CompiledPattern& pattern, const StartFilter& filter,
                        std::string_view data, int start, const CancelToken* cancel,
                        std::uint64_t stepBudget) noexcept {
  if (pattern.CompileStatus() != SearchStatus::kNoMatch) return {pattern.CompileStatus(), {}};
  const CompiledTree* tree = pattern.Tree();
  if (tree == nullptr || tree->top == nullptr) return {};
  if (data.size() > limits::kMaxSearchBytes) return {SearchStatus::kDataTooLarge, {}};
  return GuardSearch([&]() -> MatchSpans {
    SearchRun run(*tree, data, start, cancel);
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
  });
}

}  // namespace kv
