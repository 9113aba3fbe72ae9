// LazyDfa: runs an ExistenceNfa over bytes as a deterministic automaton
// whose states (sets of NFA states) are made only when the bytes reach
// them. Two ways to run it:
// - Find, unanchored: the NFA's start is added back into every state, so
//   one pass of one table look-up a byte tries every start position at
//   once, and the first state that holds the match state ends it;
// - MatchEndingAt, anchored, over the mirror image's automaton: from one
//   end position backwards, until the match state or no state is left.
//
// The states and their transitions are a cache with a byte cap: when a new
// state would not fit, the cache is emptied and refilled from the current
// state on. Memory stays bounded, every byte still costs at most one state's
// construction, and the answer never depends on what the cache held. The
// cache belongs to one thread; the NFA may be shared.
#pragma once

#include <cstddef>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "pattern/cancel_token.h"
#include "pattern/internal/existence_nfa.h"
#include "pattern/pattern_facts.h"
#include "pattern/search_result.h"

namespace kv {

class LazyDfa {
 public:
  // `nfa` must outlive this object.
  LazyDfa(const ExistenceNfa& nfa, std::size_t cacheBytes, bool anchored = false);

  // kMatch when a match begins anywhere in `data`, else kNoMatch, or
  // kCancelled. While no match is under way the pass jumps to the next
  // position `filter` lets through. May throw std::bad_alloc.
  SearchStatus Find(std::string_view data, const StartFilter& filter, const CancelToken* cancel);

  // Anchored only: kMatch when a match of the mirror image begins at `end`
  // reading backwards (a match of the pattern ends there), else kNoMatch;
  // kStepBudget when that takes more than `budget` bytes, which are taken
  // from it; or kCancelled. May throw std::bad_alloc.
  SearchStatus MatchEndingAt(std::string_view data, int end, long long& budget,
                             const CancelToken* cancel);

  // How often the cap has emptied the cache.
  int CacheClears() const { return clears_; }

 private:
  using StateSet = std::vector<int>;  // sorted ids of kBytes and kMatch states
  struct SetHash {
    std::size_t operator()(const StateSet& set) const noexcept;
  };

  // Empties the cache and adds the start state back.
  void Restart();
  int Intern(StateSet set);
  // The state after `from` on a byte of class `byteClass`, made and cached.
  int Step(int from, int byteClass);
  // Adds what `id` reaches without consuming a byte to `out`.
  void AddClosure(int id, StateSet& out);
  std::size_t Cost(const StateSet& set) const;

  const ExistenceNfa& nfa_;
  const std::size_t cacheBytes_;
  const int classCount_;
  std::size_t usedBytes_ = 0;
  std::unordered_map<StateSet, int, SetHash> index_;
  std::vector<const StateSet*> sets_;  // keys of index_, by state id
  std::vector<char> accepting_;
  const bool anchored_;
  // Transitions, a row of classCount_ a state, each the offset of its
  // target's row; -1 where not made yet. A transition into a final state
  // (accepting, or empty) is never stored, so a look-up that finds one
  // needs no further test.
  std::vector<int> table_;
  int startId_ = 0;
  int clears_ = 0;
  std::vector<int> seen_;  // closure marks: the generation that saw the state
  int generation_ = 0;
  std::vector<int> pending_;
};

}  // namespace kv
