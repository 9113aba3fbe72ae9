// ExistenceSearch: the NFA built once, the lazy DFA run per buffer, and
// the bounds every search keeps.
#include "pattern/existence_search.h"

#include <new>

#include "pattern/internal/existence_nfa.h"
#include "pattern/internal/lazy_dfa.h"

namespace kv {

std::unique_ptr<ExistenceSearch> ExistenceSearch::For(const CompiledPattern& pattern,
                                                      std::size_t cacheBytes) {
  if (pattern.CompileStatus() != SearchStatus::kNoMatch || pattern.Tree() == nullptr) return {};
  std::optional<ExistenceNfa> nfa = BuildExistenceNfa(*pattern.Tree());
  if (!nfa.has_value()) return {};
  try {
    return std::make_unique<ExistenceSearch>(std::make_unique<const ExistenceNfa>(std::move(*nfa)),
                                             cacheBytes);
  } catch (const std::bad_alloc&) {
    return {};  // the backtracker answers with what memory is left
  }
}

ExistenceSearch::ExistenceSearch(std::unique_ptr<const ExistenceNfa> nfa, std::size_t cacheBytes)
    : nfa_(std::move(nfa)), dfa_(std::make_unique<LazyDfa>(*nfa_, cacheBytes)) {}

ExistenceSearch::~ExistenceSearch() = default;

std::optional<SearchStatus> ExistenceSearch::Find(std::string_view data, const StartFilter& filter,
                                                  const CancelToken* cancel) {
  if (data.size() > limits::kMaxSearchBytes) return SearchStatus::kDataTooLarge;
  if (data.size() >= nfa_->exactBelow) return std::nullopt;
  try {
    return dfa_->Find(data, filter, cancel);
  } catch (const std::bad_alloc&) {
    return SearchStatus::kOutOfMemory;
  }
}

int ExistenceSearch::CacheClears() const { return dfa_->CacheClears(); }

}  // namespace kv
