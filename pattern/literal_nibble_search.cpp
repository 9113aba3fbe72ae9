// NibbleMaskSearch: the buckets, the tables and the AVX2 pass.
#include "pattern/literal_nibble_search.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "pattern/internal/char_types.h"
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
  for (char& c : folded) c = static_cast<char>(chartype::ToLower(static_cast<unsigned char>(c)));
  return folded;
}

#ifdef KV_NIBBLE_SEARCH_AVX2
constexpr std::size_t kLanes = 32;
constexpr std::size_t kBytes = NibbleMaskSearch::kFingerprintBytes;

// The tables of `Groups` groups, each broadcast to both halves of a register.
template <std::size_t Groups>
struct Tables {
  __m256i low[Groups][kBytes];
  __m256i high[Groups][kBytes];
};

// For each group, the buckets whose fingerprint may start at each of the 32
// positions from `at`; it reads kFingerprintBytes - 1 bytes past them.
template <std::size_t Groups>
__attribute__((target("avx2"), always_inline)) inline void Fingerprints(
    const unsigned char* at, const Tables<Groups>& tables, __m256i (&buckets)[Groups]) {
  const __m256i halfMask = _mm256_set1_epi8(0x0f);
  for (__m256i& group : buckets) group = _mm256_set1_epi8(-1);
#pragma GCC unroll 4
  for (std::size_t j = 0; j < kBytes; ++j) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + j));
    const __m256i lowHalves = _mm256_and_si256(bytes, halfMask);
    const __m256i highHalves = _mm256_and_si256(_mm256_srli_epi16(bytes, 4), halfMask);
#pragma GCC unroll 4
    for (std::size_t g = 0; g < Groups; ++g) {
      buckets[g] = _mm256_and_si256(
          buckets[g], _mm256_and_si256(_mm256_shuffle_epi8(tables.low[g][j], lowHalves),
                                       _mm256_shuffle_epi8(tables.high[g][j], highHalves)));
    }
  }
}

template <std::size_t Groups>
__attribute__((target("avx2"), always_inline)) inline __m256i Either(
    const __m256i (&buckets)[Groups]) {
  __m256i any = buckets[0];
  for (std::size_t g = 1; g < Groups; ++g) any = _mm256_or_si256(any, buckets[g]);
  return any;
}

// Calls check(position, buckets of all groups) for each lane of `lanes`
// where a group holds a bucket.
template <std::size_t Groups, typename Check>
__attribute__((target("avx2"), always_inline)) inline void Report(std::size_t from,
                                                                  const __m256i (&found)[Groups],
                                                                  std::uint32_t lanes,
                                                                  Check& check) {
  const __m256i either = Either(found);
  auto any = ~static_cast<std::uint32_t>(
                 _mm256_movemask_epi8(_mm256_cmpeq_epi8(either, _mm256_setzero_si256()))) &
             lanes;
  if (any == 0) return;
  alignas(32) std::uint8_t buckets[Groups][kLanes];
  for (std::size_t g = 0; g < Groups; ++g) {
    _mm256_store_si256(reinterpret_cast<__m256i*>(buckets[g]), found[g]);
  }
  for (; any != 0; any &= any - 1) {
    const int lane = std::countr_zero(any);
    std::uint32_t all = 0;
    for (std::size_t g = 0; g < Groups; ++g) {
      all |= std::uint32_t{buckets[g][lane]} << (g * NibbleMaskSearch::kBucketsPerGroup);
    }
    check(from + static_cast<std::size_t>(lane), all);
  }
}

// Calls check(at, buckets) for every position of `bytes` where a bucket's
// fingerprint may start. The last positions are looked at in a copy padded
// with zeros, so no load passes the buffer's end.
template <std::size_t Groups, typename Check>
__attribute__((target("avx2"))) void ForEachCandidate(const unsigned char* bytes, std::size_t size,
                                                      const NibbleMaskSearch::Masks* masks,
                                                      Check check) {
  Tables<Groups> tables;
  for (std::size_t g = 0; g < Groups; ++g) {
    for (std::size_t j = 0; j < kBytes; ++j) {
      const auto* table = reinterpret_cast<const __m128i*>(masks[g][j].data());
      tables.low[g][j] = _mm256_broadcastsi128_si256(_mm_loadu_si128(table));
      tables.high[g][j] = _mm256_broadcastsi128_si256(_mm_loadu_si128(table + 1));
    }
  }
  constexpr std::size_t kReach = kLanes + kBytes - 1;
  __m256i first[Groups];
  __m256i second[Groups];
  std::size_t at = 0;
  // Two blocks a round, with one test for both: candidates are rare.
  for (; at + kLanes + kReach <= size; at += 2 * kLanes) {
    Fingerprints(bytes + at, tables, first);
    Fingerprints(bytes + at + kLanes, tables, second);
    const __m256i either = _mm256_or_si256(Either(first), Either(second));
    if (_mm256_testz_si256(either, either) != 0) continue;
    Report(at, first, ~std::uint32_t{0}, check);
    Report(at + kLanes, second, ~std::uint32_t{0}, check);
  }
  for (; at + kReach <= size; at += kLanes) {
    Fingerprints(bytes + at, tables, first);
    Report(at, first, ~std::uint32_t{0}, check);
  }
  // Fewer than kReach bytes are left: a whole fingerprint starts in at most 31 lanes.
  if (at + kBytes <= size) {
    unsigned char padded[kReach] = {};
    std::memcpy(padded, bytes + at, size - at);
    const std::size_t starts = size - at - (kBytes - 1);
    Fingerprints(padded, tables, first);
    Report(at, first, (std::uint32_t{1} << starts) - 1, check);
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
  groups_.resize(
      std::max<std::size_t>(1, (entries_.size() + kLiteralsPerGroup - 1) / kLiteralsPerGroup));
  // Contiguous runs of the sorted entries, as even as they come.
  const std::size_t buckets = groups_.size() * kBucketsPerGroup;
  bucketStart_.resize(buckets + 1);
  for (std::size_t b = 0; b <= buckets; ++b) {
    bucketStart_[b] = static_cast<std::uint32_t>(b * entries_.size() / buckets);
  }
  for (std::size_t b = 0; b < buckets; ++b) {
    Masks& masks = groups_[b / kBucketsPerGroup];
    const auto bit = static_cast<std::uint8_t>(1u << (b % kBucketsPerGroup));
    for (std::uint32_t k = bucketStart_[b]; k < bucketStart_[b + 1]; ++k) {
      const OwnedLiteral& literal = literals[entries_[k].literal];
      for (std::size_t j = 0; j < kFingerprintBytes; ++j) {
        const auto byte = static_cast<unsigned char>(literal.bytes[entries_[k].anchor + j]);
        const auto lower = static_cast<unsigned char>(chartype::ToLower(byte));
        const bool bothCases = literal.caseless && lower >= 'a' && lower <= 'z';
        const unsigned char upper =
            bothCases ? static_cast<unsigned char>(lower - 'a' + 'A') : byte;
        for (const unsigned char allowed : {bothCases ? lower : byte, upper}) {
          masks[j][allowed & 0x0f] |= bit;
          masks[j][16 + (allowed >> 4)] |= bit;
        }
      }
    }
  }
}

void NibbleMaskSearch::CheckBuckets(const unsigned char* bytes, std::size_t size, std::size_t at,
                                    std::uint32_t buckets,
                                    const std::vector<OwnedLiteral>& literals,
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
  auto check = [&](std::size_t at, std::uint32_t buckets) {
    CheckBuckets(bytes, data.size(), at, buckets, literals, marks);
  };
  switch (groups_.size()) {
    case 1:
      return ForEachCandidate<1>(bytes, data.size(), groups_.data(), check);
    case 2:
      return ForEachCandidate<2>(bytes, data.size(), groups_.data(), check);
    default:
      return ForEachCandidate<kMaxGroups>(bytes, data.size(), groups_.data(), check);
  }
#else
  (void)data, (void)literals, (void)marks;
#endif
}

}  // namespace kv
