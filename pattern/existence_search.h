// ExistenceSearch: whether a compiled pattern matches anywhere in a buffer,
// in one linear pass, for patterns whose tree is purely regular. A scanner
// that needs only that answer (a verdict) uses it instead of FastSearch,
// whose backtracking, memoized or not, can cost far more than the bytes.
//
// Entry points: For (null when the pattern is not one the automaton can
// take, and the backtracker must answer) and Find. Where Find answers, it
// answers as CompiledPattern::Search from position 0 would; it may answer
// where that search runs out of a bound. The automaton is built from the
// compiled tree on For; its cache of states grows as buffers need it, so an
// ExistenceSearch belongs to one thread.
//
// A pattern whose every match ends with a literal (`([a-z]+ ?)+[0-9]\.\n`)
// is first searched from that literal's occurrences backwards, which reads
// a few bytes where a forward pass reads them all; the forward pass answers
// when the backward reads grow past a few times the buffer, so the search
// stays linear.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>

#include "pattern/cancel_token.h"
#include "pattern/compiled_pattern.h"
#include "pattern/pattern_facts.h"
#include "pattern/search_result.h"
#include "platform/limits.h"

namespace kv {

struct ExistenceNfa;
class LazyDfa;

class ExistenceSearch {
 public:
  // `cacheBytes` caps the cache of automaton states.
  static std::unique_ptr<ExistenceSearch> For(
      const CompiledPattern& pattern, std::size_t cacheBytes = limits::kMaxAutomatonCacheBytes);
  // Made by For; the automaton's types are internal to the engine.
  // `mirror`, the automaton of the pattern read backwards, may be null.
  ExistenceSearch(std::unique_ptr<const ExistenceNfa> nfa,
                  std::unique_ptr<const ExistenceNfa> mirror, std::size_t cacheBytes);
  ExistenceSearch(const ExistenceSearch&) = delete;
  ExistenceSearch& operator=(const ExistenceSearch&) = delete;
  ~ExistenceSearch();

  // kMatch or kNoMatch, or a failure (data too large, cancelled, out of
  // memory); nullopt when this buffer is longer than the automaton models
  // exactly, or memory once ran out, and the backtracker must answer. `filter` is the pattern's
  // start filter (AnalysePattern), used to skip ahead.
  std::optional<SearchStatus> Find(std::string_view data, const StartFilter& filter,
                                   const CancelToken* cancel);

  // How often the cache cap has emptied the cache, for tests.
  int CacheClears() const;

 private:
  SearchStatus FindByEnds(std::string_view data, const CancelToken* cancel);

  std::unique_ptr<const ExistenceNfa> nfa_;
  std::unique_ptr<const ExistenceNfa> mirror_;
  std::unique_ptr<LazyDfa> forward_;
  std::unique_ptr<LazyDfa> backward_;  // null without a mirror
  bool broken_ = false;                // memory ran out inside a cache
};

}  // namespace kv
