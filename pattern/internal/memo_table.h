// MemoTable: what one memoized search has learnt about its buffer, so that
// no attempt explores the same doomed state twice.
//
// Entry points: Failed/MarkFailed (one bit per node and position: the
// exploration that starts there cannot lead to a match), ContinuationFailed/
// MarkContinuationFailed (intervals of positions where what follows a
// one-byte repeat cannot match), LeafRun (how many times a one-byte node
// matches in a row, cached). The nodes decide what a fact means and when it
// holds (nodes_repeat.cpp, nodes_group.cpp); this class only keeps them,
// within a memory cap (platform/limits.h): a fact it cannot keep is simply
// not known, and the search then does the work.
//
// A fact is learnt under a phase mask (match_state.h) and holds under every
// mask that has at least its bits: a repeat resumed gives its copies fewer
// ways than one still growing, so what failed with more ways fails with
// fewer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kv {

class PatternNode;
struct MatchState;

// Memoized searches cover at most this many bytes, so that a count or a
// branch index on the backtrack stack leaves two bits above it for memo
// flags (and the stacks stay exactly as large as the reference's).
inline constexpr int kMemoFlagShift = 29;
inline constexpr int kMaxMemoLength = (1 << kMemoFlagShift) - 2;
inline constexpr int kMemoCountMask = (1 << kMemoFlagShift) - 1;
// The value pushed was made where facts hold (MatchState::MemoHolds).
inline constexpr int kMemoHolds = 1 << kMemoFlagShift;
// ...except for a repeat's first copy, which began where the enclosing
// growing copy began.
inline constexpr int kMemoFirstAtCopyStart = 1 << (kMemoFlagShift + 1);

class MemoTable {
 public:
  // `slots` memoized nodes over positions 0..length.
  MemoTable(int slots, int length);

  bool Failed(int slot, int position, std::uint64_t mask) const {
    const Slot& s = slots_[static_cast<std::size_t>(slot)];
    if (s.bits.empty() || (s.bitsMask & ~mask) != 0) return false;
    const auto index = static_cast<std::size_t>(position);
    return ((s.bits[index / 64] >> (index % 64)) & 1U) != 0;
  }
  void MarkFailed(int slot, int position, std::uint64_t mask);

  // Whether `position` lies in a failed interval of `slot` that holds under
  // `mask`; if so, `low` and `high` are that interval's ends.
  bool ContinuationFailed(int slot, int position, std::uint64_t mask, int& low, int& high) const;
  void MarkContinuationFailed(int slot, int position, std::uint64_t mask);

  // How many times in a row `leaf` (a node that consumes exactly one byte
  // and pushes nothing) matches from the state's position, in the leaf's
  // direction `step` (+1 or -1). The state is left as it was.
  int LeafRun(int slot, const PatternNode& leaf, int step, MatchState& state);

  // Bytes taken by the failure bits.
  std::size_t BitBytes() const { return bitBytes_; }

 private:
  struct Interval {
    std::uint64_t mask = 0;
    int low = 1;
    int high = 0;  // empty while low > high
  };
  struct Slot {
    std::vector<std::uint64_t> bits;  // allocated on the first fact
    std::uint64_t bitsMask = 0;       // the mask the bits hold under
    bool refused = false;             // over the memory cap: keeps nothing
    std::array<Interval, 4> intervals{};
    int nextInterval = 0;
    int runFrom = -1;  // the leaf matches at every position from runFrom up to runTo (excl.)
    int runTo = -1;
  };

  std::vector<Slot> slots_;
  int length_ = 0;
  std::size_t bitBytes_ = 0;
};

// Whether the mask a fact was learnt under (`learnt`) lets it hold under
// `now`: `now` has every resumed bit of `learnt`.
inline bool MaskCovers(std::uint64_t learnt, std::uint64_t now) { return (learnt & ~now) == 0; }

}  // namespace kv
