// LazyDfa: the pass over the bytes and the construction of states on a
// cache miss.
#include "pattern/internal/lazy_dfa.h"

#include <algorithm>

#include "pattern/internal/start_candidates.h"
#include "platform/limits.h"

namespace kv {
namespace {

// What a cached state costs besides its set and its row of transitions:
// the map's node and the bookkeeping vectors' entries.
constexpr std::size_t kStateOverheadBytes = 96;

}  // namespace

std::size_t LazyDfa::SetHash::operator()(const StateSet& set) const noexcept {
  std::size_t hash = set.size();
  for (const int id : set) hash = (hash ^ static_cast<std::size_t>(id)) * 0x100000001b3ULL;
  return hash;
}

LazyDfa::LazyDfa(const ExistenceNfa& nfa, std::size_t cacheBytes, bool anchored)
    : nfa_(nfa),
      cacheBytes_(cacheBytes),
      classCount_(static_cast<int>(nfa.classByte.size())),
      anchored_(anchored),
      seen_(nfa.states.size(), 0) {
  Restart();
}

void LazyDfa::Restart() {
  index_.clear();
  sets_.clear();
  accepting_.clear();
  table_.clear();
  usedBytes_ = 0;
  StateSet start;
  ++generation_;
  AddClosure(nfa_.start, start);
  std::sort(start.begin(), start.end());
  startId_ = Intern(std::move(start));
}

std::size_t LazyDfa::Cost(const StateSet& set) const {
  return (set.size() + static_cast<std::size_t>(classCount_)) * sizeof(int) + kStateOverheadBytes;
}

int LazyDfa::Intern(StateSet set) {
  const auto [it, added] = index_.try_emplace(std::move(set), static_cast<int>(sets_.size()));
  if (added) {
    const StateSet& stored = it->first;
    sets_.push_back(&stored);
    accepting_.push_back(!stored.empty() &&
                                 nfa_.states[static_cast<std::size_t>(stored.front())].kind ==
                                     NfaState::Kind::kMatch
                             ? 1
                             : 0);
    table_.resize(table_.size() + static_cast<std::size_t>(classCount_), -1);
    usedBytes_ += Cost(stored);
  }
  return it->second;
}

void LazyDfa::AddClosure(int id, StateSet& out) {
  pending_.push_back(id);
  while (!pending_.empty()) {
    const int at = pending_.back();
    pending_.pop_back();
    if (at < 0 || seen_[static_cast<std::size_t>(at)] == generation_) continue;
    seen_[static_cast<std::size_t>(at)] = generation_;
    const NfaState& state = nfa_.states[static_cast<std::size_t>(at)];
    if (state.kind == NfaState::Kind::kSplit) {
      pending_.push_back(state.other);
      pending_.push_back(state.next);
    } else {
      out.push_back(at);
    }
  }
}

int LazyDfa::Step(int from, int byteClass) {
  const std::size_t byte = nfa_.classByte[static_cast<std::size_t>(byteClass)];
  StateSet next;
  ++generation_;
  for (const int id : *sets_[static_cast<std::size_t>(from)]) {
    const NfaState& state = nfa_.states[static_cast<std::size_t>(id)];
    if (state.kind == NfaState::Kind::kBytes &&
        nfa_.byteSets[static_cast<std::size_t>(state.byteSet)].test(byte)) {
      AddClosure(state.next, next);
    }
  }
  if (!anchored_) AddClosure(nfa_.start, next);
  std::sort(next.begin(), next.end());
  if (!index_.contains(next) && usedBytes_ + Cost(next) > cacheBytes_) {
    Restart();
    ++clears_;
    from = -1;  // gone with the cache; its transition is not kept
  }
  const bool final = next.empty();
  const int id = Intern(std::move(next));
  if (from >= 0 && !final && accepting_[static_cast<std::size_t>(id)] == 0) {
    table_[static_cast<std::size_t>(from) * static_cast<std::size_t>(classCount_) +
           static_cast<std::size_t>(byteClass)] = id * classCount_;
  }
  return id;
}

SearchStatus LazyDfa::Find(std::string_view data, const StartFilter& filter,
                           const CancelToken* cancel) {
  if (accepting_[static_cast<std::size_t>(startId_)] != 0) return SearchStatus::kMatch;
  const bool skip = filter.kind == StartFilter::Kind::kPrefix;
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  const std::uint8_t* classOf = nfa_.byteClass.data();
  const int length = static_cast<int>(data.size());
  // The current state as the offset of its row: one look-up a byte.
  int row = startId_ * classCount_;
  int position = 0;
  while (position < length) {
    if (cancel != nullptr && cancel->IsCancelled()) return SearchStatus::kCancelled;
    const int stop = length - position > limits::kAutomatonCancelPollBytes
                         ? position + limits::kAutomatonCancelPollBytes
                         : length;
    const int* table = table_.data();
    for (; position < stop; ++position) {
      // Nothing under way: no match can begin before the filter's next
      // position.
      if (skip && row == startId_ * classCount_) {
        position = NextCandidate(filter, data, position);
        if (position >= stop) break;
      }
      const int byteClass = classOf[bytes[position]];
      int next = table[row + byteClass];
      if (next < 0) {
        const int id = Step(row / classCount_, byteClass);
        if (accepting_[static_cast<std::size_t>(id)] != 0) return SearchStatus::kMatch;
        next = id * classCount_;
        table = table_.data();
      }
      row = next;
    }
  }
  return SearchStatus::kNoMatch;
}

SearchStatus LazyDfa::MatchEndingAt(std::string_view data, int end, long long& budget,
                                    const CancelToken* cancel) {
  if (accepting_[static_cast<std::size_t>(startId_)] != 0) return SearchStatus::kMatch;
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  const std::uint8_t* classOf = nfa_.byteClass.data();
  const int* table = table_.data();
  int row = startId_ * classCount_;
  for (int position = end - 1; position >= 0; --position) {
    if (--budget < 0) return SearchStatus::kStepBudget;
    if (budget % limits::kAutomatonCancelPollBytes == 0 && cancel != nullptr &&
        cancel->IsCancelled()) {
      return SearchStatus::kCancelled;
    }
    const int byteClass = classOf[bytes[position]];
    int next = table[row + byteClass];
    if (next < 0) {
      const int id = Step(row / classCount_, byteClass);
      if (accepting_[static_cast<std::size_t>(id)] != 0) return SearchStatus::kMatch;
      if (sets_[static_cast<std::size_t>(id)]->empty()) return SearchStatus::kNoMatch;
      next = id * classCount_;
      table = table_.data();
    }
    row = next;
  }
  return SearchStatus::kNoMatch;
}

}  // namespace kv
