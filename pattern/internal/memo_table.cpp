// MemoTable: lazily allocated bit rows under one memory cap, a few
// intervals per slot, and the cached leaf run.
#include "pattern/internal/memo_table.h"

#include "pattern/internal/match_state.h"
#include "pattern/internal/pattern_node.h"
#include "platform/limits.h"

namespace kv {

MemoTable::MemoTable(int slots, int length)
    : slots_(static_cast<std::size_t>(slots)), length_(length) {}

void MemoTable::MarkFailed(int slot, int position, std::uint64_t mask) {
  Slot& s = slots_[static_cast<std::size_t>(slot)];
  if (s.refused) return;
  if (s.bits.empty()) {
    const std::size_t words = static_cast<std::size_t>(length_) / 64 + 1;
    if (bitBytes_ + words * 8 > limits::kMaxMemoBytes) {
      s.refused = true;
      return;
    }
    s.bits.assign(words, 0);
    s.bitsMask = mask;
    bitBytes_ += words * 8;
  }
  // Kept under the row's mask only when that mask is at least as resumed:
  // then the fact holds wherever the row is read.
  if (!MaskCovers(mask, s.bitsMask)) return;
  const auto index = static_cast<std::size_t>(position);
  s.bits[index / 64] |= std::uint64_t{1} << (index % 64);
}

bool MemoTable::ContinuationFailed(int slot, int position, std::uint64_t mask, int& low,
                                   int& high) const {
  for (const Interval& interval : slots_[static_cast<std::size_t>(slot)].intervals) {
    if (interval.low <= position && position <= interval.high && MaskCovers(interval.mask, mask)) {
      low = interval.low;
      high = interval.high;
      return true;
    }
  }
  return false;
}

void MemoTable::MarkContinuationFailed(int slot, int position, std::uint64_t mask) {
  Slot& s = slots_[static_cast<std::size_t>(slot)];
  Interval* same = nullptr;
  for (Interval& interval : s.intervals) {
    if (interval.mask == mask && interval.low <= interval.high) same = &interval;
  }
  if (same != nullptr && same->low - 1 <= position && position <= same->high + 1) {
    if (position < same->low) same->low = position;
    if (position > same->high) same->high = position;
    return;
  }
  // A new run of failures: it replaces this mask's old one, or the oldest.
  if (same == nullptr) {
    same = &s.intervals[static_cast<std::size_t>(s.nextInterval)];
    s.nextInterval = (s.nextInterval + 1) % static_cast<int>(s.intervals.size());
  }
  *same = {mask, position, position};
}

int MemoTable::LeafRun(int slot, const PatternNode& leaf, int step, MatchState& state) {
  Slot& s = slots_[static_cast<std::size_t>(slot)];
  const int from = state.position;
  const bool cached =
      step > 0 ? (s.runFrom <= from && from <= s.runTo) : (s.runTo <= from && from <= s.runFrom);
  if (cached) return (s.runTo - from) * step;
  // Each match moves the position by `step`. Meeting the cached run's
  // start joins it, so runs found right to left cost one pass too.
  int end = from;
  while (leaf.Match(state) != 0) {
    end += step;
    if (end == s.runFrom) {
      end = s.runTo;
      break;
    }
  }
  state.position = from;
  s.runFrom = from;
  s.runTo = end;
  return (end - from) * step;
}

}  // namespace kv
