// ExistenceSearch: the NFAs built once, the lazy DFAs run per buffer, and
// the bounds every search keeps.
#include "pattern/existence_search.h"

#include <new>

#include "pattern/internal/existence_nfa.h"
#include "pattern/internal/lazy_dfa.h"

namespace kv {
namespace {

// The bytes the backward reads may take, per byte of the buffer, before the
// forward pass takes over: the backward way costs at most this many passes
// more than the forward one, and is far cheaper where the suffix is rare.
constexpr long long kBackwardBytesPerByte = 4;

}  // namespace

std::unique_ptr<ExistenceSearch> ExistenceSearch::For(const CompiledPattern& pattern,
                                                      std::size_t cacheBytes) {
  if (pattern.CompileStatus() != SearchStatus::kNoMatch || pattern.Tree() == nullptr) return {};
  try {
    std::optional<ExistenceNfa> nfa = BuildExistenceNfa(*pattern.Tree());
    if (!nfa.has_value()) return {};
    std::unique_ptr<const ExistenceNfa> mirror;
    if (!nfa->suffix.empty()) {
      mirror = std::make_unique<const ExistenceNfa>(*BuildExistenceNfa(*pattern.Tree(), true));
    }
    return std::make_unique<ExistenceSearch>(std::make_unique<const ExistenceNfa>(std::move(*nfa)),
                                             std::move(mirror), cacheBytes);
  } catch (const std::bad_alloc&) {
    return {};  // the backtracker answers with what memory is left
  }
}

ExistenceSearch::ExistenceSearch(std::unique_ptr<const ExistenceNfa> nfa,
                                 std::unique_ptr<const ExistenceNfa> mirror, std::size_t cacheBytes)
    : nfa_(std::move(nfa)),
      mirror_(std::move(mirror)),
      forward_(std::make_unique<LazyDfa>(*nfa_, cacheBytes)),
      backward_(mirror_ == nullptr ? nullptr
                                   : std::make_unique<LazyDfa>(*mirror_, cacheBytes, true)) {}

ExistenceSearch::~ExistenceSearch() = default;

std::optional<SearchStatus> ExistenceSearch::Find(std::string_view data, const StartFilter& filter,
                                                  const CancelToken* cancel) {
  if (data.size() > limits::kMaxSearchBytes) return SearchStatus::kDataTooLarge;
  if (broken_ || data.size() >= nfa_->exactBelow) return std::nullopt;
  if (cancel != nullptr && cancel->IsCancelled()) return SearchStatus::kCancelled;
  try {
    if (backward_ != nullptr) {
      const SearchStatus status = FindByEnds(data, cancel);
      if (status != SearchStatus::kStepBudget) return status;
    }
    return forward_->Find(data, filter, cancel);
  } catch (const std::bad_alloc&) {
    broken_ = true;  // a cache left half-grown is never read again
    return SearchStatus::kOutOfMemory;
  }
}

SearchStatus ExistenceSearch::FindByEnds(std::string_view data, const CancelToken* cancel) {
  const std::string& suffix = nfa_->suffix;
  long long budget = kBackwardBytesPerByte * static_cast<long long>(data.size());
  for (std::size_t at = data.find(suffix); at != std::string_view::npos;
       at = data.find(suffix, at + 1)) {
    if (cancel != nullptr && cancel->IsCancelled()) return SearchStatus::kCancelled;
    const SearchStatus status =
        backward_->MatchEndingAt(data, static_cast<int>(at + suffix.size()), budget, cancel);
    if (status != SearchStatus::kNoMatch) return status;
  }
  return SearchStatus::kNoMatch;
}

int ExistenceSearch::CacheClears() const {
  return forward_->CacheClears() + (backward_ == nullptr ? 0 : backward_->CacheClears());
}

}  // namespace kv
