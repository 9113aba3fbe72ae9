// LiteralSetSearch: one pass over a buffer finding which of a set of
// literals occur in it, each literal owned by one signature.
//
// A Wu-Manber search: a window of the shortest literal length (at most 8),
// placed in each literal where its bytes look least like common data,
// slides over the buffer; a table indexed by a hash of the window's last
// three bytes tells how far it may jump without passing a literal's start,
// and only where it may not move at all are the literals ending their
// window with such bytes compared (after a filter on the whole window).
// Eight windows move through eight parts of the buffer in turn, so that
// the table lookups of one overlap those of the others. Bytes are folded to
// lower case for the table, so one table serves exact and caseless
// literals; each literal is then compared as it asks. Literals shorter than
// four bytes would make the window too short to skip anything, so they are
// searched one by one. A set of up to about 150 literals goes the
// vector way instead where the processor has it (NibbleMaskSearch), with
// only 1-2 byte literals apart.
//
// We measured Hyperscan's literal mode for this first: building its
// database took 60-90 ms for the literals of a 1000-signature set (26 ms even
// for 100 literals), several times the whole load budget of 20 ms, and it
// scanned text-like data at 0.8-1 GB/s; this table builds in under a
// millisecond and scans the benchmark store at 2-3.5 GB/s.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "pattern/literal_nibble_search.h"
#include "pattern/owned_literal.h"

namespace kv {

// Which way a search goes: the fastest this processor has, the vector way
// at 32 bytes a step even where 64 are possible, or the sliding window
// alone (which every processor has). Tests compare them.
enum class LiteralRoute { kFastest, kNarrowVector, kSlidingWindow };

class LiteralSetSearch {
 public:
  LiteralSetSearch() = default;
  explicit LiteralSetSearch(std::vector<OwnedLiteral> literals,
                            LiteralRoute route = LiteralRoute::kFastest);

  // Sets marks[owner] = 1 for the owner of every literal found in `data`
  // (literals of owners already marked are not looked for).
  void MarkOwners(std::string_view data, std::vector<std::uint8_t>& marks) const;

 private:
  void MarkShortLiterals(std::string_view data, std::vector<std::uint8_t>& marks) const;
  // Whether a literal may start at `window`, `room` bytes before the end.
  bool MayStartHere(const unsigned char* window, std::size_t room) const;
  // Compares the literals that may start in the window ending at `last`.
  void CheckWindow(const unsigned char* bytes, std::size_t size, std::size_t last,
                   std::vector<std::uint8_t>& marks) const;

  std::vector<OwnedLiteral> literals_;
  std::vector<std::uint32_t> shortLiterals_;  // indices into literals_
  std::optional<NibbleMaskSearch> nibbles_;   // the others, if not the window
  std::size_t window_ = 0;                    // 0: no literal long enough
  unsigned tableBits_ = 0;                    // the shift table has 2^tableBits_ entries
  std::vector<std::uint8_t> shift_;           // by hashed three-byte block
  std::vector<std::uint32_t> bucketStart_;    // by block: into bucketLiterals_
  std::vector<std::uint32_t> bucketLiterals_;
  std::vector<std::uint32_t> windowAt_;      // where in each literal its window lies
  std::vector<std::uint64_t> windowFilter_;  // bits by hash of a folded window
};

}  // namespace kv
