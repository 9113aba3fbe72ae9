// NibbleMaskSearch: the buckets, the tables and the AVX2 pass.
#include "pattern/literal_nibble_search.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "pattern/internal/literal_bytes.h"

#if defined(__x86_64__) && defined(__GNUC__)
#define KV_NIBBLE_SEARCH_AVX2 1
#include <immintrin.h>
#endif

namespace kv {
namespace {

// The folded fingerprint of a literal, for putting like ones together.
std::string FoldedFingerprint(const OwnedLiteral& literal, std::size_t anchor) {
  std::string folded = literal.bytes.substr(anchor, NibbleMaskSearch::kFingerprintBytes);
  for (char& c : folded) c = static_cast<char>(FoldByte(static_cast<unsigned char>(c)));
  return folded;
}

#ifdef KV_NIBBLE_SEARCH_AVX2
constexpr std::size_t kLanes = 32;

// The buckets whose fingerprint may start at each of the 32 positions from
// `at`; it reads kFingerprintBytes - 1 bytes past them.
__attribute__((target("avx2"), always_inline)) inline __m256i Fingerprints(const unsigned char* at,
                                                                           const __m256i* low,
                                                                           const __m256i* high) {
  const __m256i halfMask = _mm256_set1_epi8(0x0f);
  __m256i buckets = _mm256_set1_epi8(-1);
#pragma GCC unroll 4
  for (std::size_t j = 0; j < NibbleMaskSearch::kFingerprintBytes; ++j) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + j));
    const __m256i lowHalves = _mm256_and_si256(bytes, halfMask);
    const __m256i highHalves = _mm256_and_si256(_mm256_srli_epi16(bytes, 4), halfMask);
    buckets = _mm256_and_si256(buckets, _mm256_and_si256(_mm256_shuffle_epi8(low[j], lowHalves),
                                                         _mm256_shuffle_epi8(high[j], highHalves)));
  }
  return buckets;
}

using Masks = std::array<std::array<std::uint8_t, 32>, NibbleMaskSearch::kFingerprintBytes>;

// Calls check for each lane of `lanes` where `found` holds a bucket.
template <typename Check>
__attribute__((target("avx2"), always_inline)) inline void Report(std::size_t from, __m256i found,
                                                                  std::uint32_t lanes,
                                                                  Check& check) {
  auto any = ~static_cast<std::uint32_t>(
                 _mm256_movemask_epi8(_mm256_cmpeq_epi8(found, _mm256_setzero_si256()))) &
             lanes;
  if (any == 0) return;
  alignas(32) std::uint8_t buckets[kLanes];
  _mm256_store_si256(reinterpret_cast<__m256i*>(buckets), found);
  for (; any != 0; any &= any - 1) {
    const int lane = std::countr_zero(any);
    check(from + static_cast<std::size_t>(lane), buckets[lane]);
  }
}

// Calls check(at, buckets) for every position of `bytes` where a bucket's
// fingerprint may start. The last positions are looked at in a copy padded
// with zeros, so no load passes the buffer's end.
template <typename Check>
__attribute__((target("avx2"))) void ForEachCandidate(const unsigned char* bytes, std::size_t size,
                                                      const Masks& masks, Check check) {
  __m256i low[NibbleMaskSearch::kFingerprintBytes];
  __m256i high[NibbleMaskSearch::kFingerprintBytes];
  for (std::size_t j = 0; j < NibbleMaskSearch::kFingerprintBytes; ++j) {
    const auto* table = reinterpret_cast<const __m128i*>(masks[j].data());
    low[j] = _mm256_broadcastsi128_si256(_mm_loadu_si128(table));
    high[j] = _mm256_broadcastsi128_si256(_mm_loadu_si128(table + 1));
  }
  constexpr std::size_t kReach = kLanes + NibbleMaskSearch::kFingerprintBytes - 1;
  std::size_t at = 0;
  // Two blocks a round, with one test for both: candidates are rare.
  for (; at + kLanes + kReach <= size; at += 2 * kLanes) {
    const __m256i first = Fingerprints(bytes + at, low, high);
    const __m256i second = Fingerprints(bytes + at + kLanes, low, high);
    const __m256i either = _mm256_or_si256(first, second);
    if (_mm256_testz_si256(either, either) != 0) continue;
    Report(at, first, ~std::uint32_t{0}, check);
    Report(at + kLanes, second, ~std::uint32_t{0}, check);
  }
  for (; at + kReach <= size; at += kLanes) {
    Report(at, Fingerprints(bytes + at, low, high), ~std::uint32_t{0}, check);
  }
  // Fewer than kReach bytes are left: a whole fingerprint starts in at most 31 lanes.
  if (at + NibbleMaskSearch::kFingerprintBytes <= size) {
    unsigned char padded[kReach] = {};
    std::memcpy(padded, bytes + at, size - at);
    const std::size_t starts = size - at - (NibbleMaskSearch::kFingerprintBytes - 1);
    Report(at, Fingerprints(padded, low, high), (std::uint32_t{1} << starts) - 1, check);
  }
}
#endif

}  // namespace

bool NibbleMaskSearch::Supported() {
#ifdef KV_NIBBLE_SEARCH_AVX2
  return __builtin_cpu_supports("avx2") != 0;
#else
  return false;
#endif
}

NibbleMaskSearch::NibbleMaskSearch(const std::vector<OwnedLiteral>& literals,
                                   const std::vector<std::uint32_t>& chosen) {
  for (const std::uint32_t i : chosen) {
    entries_.push_back(
        {i, static_cast<std::uint32_t>(RarestPlace(literals[i].bytes, kFingerprintBytes))});
  }
  std::stable_sort(entries_.begin(), entries_.end(), [&](const Entry& a, const Entry& b) {
    return FoldedFingerprint(literals[a.literal], a.anchor) <
           FoldedFingerprint(literals[b.literal], b.anchor);
  });
  // Contiguous runs of the sorted entries, as even as they come.
  for (std::size_t b = 0; b <= kBuckets; ++b) {
    bucketStart_[b] = static_cast<std::uint32_t>(b * entries_.size() / kBuckets);
  }
  for (std::size_t b = 0; b < kBuckets; ++b) {
    const auto bit = static_cast<std::uint8_t>(1u << b);
    for (std::uint32_t k = bucketStart_[b]; k < bucketStart_[b + 1]; ++k) {
      const OwnedLiteral& literal = literals[entries_[k].literal];
      for (std::size_t j = 0; j < kFingerprintBytes; ++j) {
        const auto byte = static_cast<unsigned char>(literal.bytes[entries_[k].anchor + j]);
        const unsigned char lower = FoldByte(byte);
        const bool bothCases = literal.caseless && lower >= 'a' && lower <= 'z';
        const unsigned char upper =
            bothCases ? static_cast<unsigned char>(lower - 'a' + 'A') : byte;
        for (const unsigned char allowed : {bothCases ? lower : byte, upper}) {
          masks_[j][allowed & 0x0f] |= bit;
          masks_[j][16 + (allowed >> 4)] |= bit;
        }
      }
    }
  }
}

void NibbleMaskSearch::CheckBuckets(const unsigned char* bytes, std::size_t size, std::size_t at,
                                    unsigned buckets, const std::vector<OwnedLiteral>& literals,
                                    std::vector<std::uint8_t>& marks) const {
  for (; buckets != 0; buckets &= buckets - 1) {
    const int b = std::countr_zero(buckets);
    for (std::uint32_t k = bucketStart_[b]; k < bucketStart_[b + 1]; ++k) {
      const Entry& entry = entries_[k];
      const OwnedLiteral& literal = literals[entry.literal];
      if (marks[literal.owner] != 0 || entry.anchor > at) continue;
      const std::size_t from = at - entry.anchor;
      if (literal.bytes.size() <= size - from && SameBytes(bytes + from, literal)) {
        marks[literal.owner] = 1;
      }
    }
  }
}

void NibbleMaskSearch::MarkOwners(std::string_view data, const std::vector<OwnedLiteral>& literals,
                                  std::vector<std::uint8_t>& marks) const {
#ifdef KV_NIBBLE_SEARCH_AVX2
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  ForEachCandidate(bytes, data.size(), masks_, [&](std::size_t at, unsigned buckets) {
    CheckBuckets(bytes, data.size(), at, buckets, literals, marks);
  });
#else
  (void)data, (void)literals, (void)marks;
#endif
}

}  // namespace kv
