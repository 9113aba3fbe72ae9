// NibbleMaskSearch: LiteralSetSearch's vector route for small sets, on
// processors with AVX2 (asked at run time: packages are built for generic
// x86-64; elsewhere the sliding window serves alone).
//
// Each literal gets a fingerprint, the three bytes of it least like common
// data, and one of up to 24 buckets, eight to a group. For each group and
// fingerprint byte two tables of 16 entries, indexed by the low and the high
// half of a data byte, hold the group's buckets whose fingerprints allow
// that half there; one byte shuffle looks a table up for 32 data bytes at
// once (64 with AVX-512BW), and the AND of the six lookups leaves, at each position, the
// buckets whose fingerprint may start there. Only those buckets' literals
// are compared, as they ask. A caseless letter allows both cases. Literals
// with like fingerprints share a bucket, so that few table entries are set.
//
// Measured on the benchmark store's files in memory (a shared machine): with
// the literals of 10 signatures 4-5.5 GB/s against the sliding window's
// 1.5-2 (whose jumps the shortest literal bounds); with 48 and 72 literals
// still 2-4x the window. At about 100 literals, a dozen per bucket, the
// tables pass nearly every text position, so a group takes at most 48
// literals. The groups share the loads and the split into halves, and one
// test looks at all of them: the literals of 100 signatures in three
// groups ran 1.5x the three separate passes they replaced. At 64 bytes a
// step the pass ran 1.5x the 32-byte one over the store in memory (12.9
// against 8.8 GB/s with 10 signatures' literals, 5.1 against 3.2 with
// 100's), but in the whole scan, on data just read, the gain is 5-10% of
// the pass: there it mostly waits on the loads.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "pattern/owned_literal.h"

namespace kv {

class NibbleMaskSearch {
 public:
  static constexpr std::size_t kFingerprintBytes = 3;
  static constexpr std::size_t kBucketsPerGroup = 8;
  static constexpr std::size_t kLiteralsPerGroup = 48;
  static constexpr std::size_t kMaxGroups = 3;
  static constexpr std::size_t kMaxLiterals = kLiteralsPerGroup * kMaxGroups;

  // By fingerprint byte: the group's buckets allowing each low half, then
  // each high half.
  using Masks = std::array<std::array<std::uint8_t, 32>, kFingerprintBytes>;

  // Whether this processor can run the search, and whether it does so
  // better at 64 bytes a step (AVX-512BW) than at 32.
  static bool Supported();
  static bool WideSupported();

  NibbleMaskSearch() = default;
  // For literals[i] of every i in `chosen`: at most kMaxLiterals, each at
  // least kFingerprintBytes long. `mayGoWide`: at 64 bytes a step where
  // the processor can (false: 32, which tests compare).
  NibbleMaskSearch(const std::vector<OwnedLiteral>& literals,
                   const std::vector<std::uint32_t>& chosen, bool mayGoWide);

  // Sets marks[owner] = 1 for the owner of every chosen literal found in
  // `data` (owners already marked are skipped); `literals` are those the
  // search was made with. Only where Supported().
  void MarkOwners(std::string_view data, const std::vector<OwnedLiteral>& literals,
                  std::vector<std::uint8_t>& marks) const;

 private:
  struct Entry {
    std::uint32_t literal;  // index into the literals
    std::uint32_t anchor;   // where in it the fingerprint lies
  };

  // Compares the literals of `buckets` (bit b: bucket b of all groups)
  // whose fingerprint would start at `at`.
  void CheckBuckets(const unsigned char* bytes, std::size_t size, std::size_t at,
                    std::uint32_t buckets, const std::vector<OwnedLiteral>& literals,
                    std::vector<std::uint8_t>& marks) const;

  bool wide_ = false;
  std::vector<Masks> groups_;
  std::vector<std::uint32_t> bucketStart_;  // into entries_, by bucket of all groups
  std::vector<Entry> entries_;
};

}  // namespace kv
