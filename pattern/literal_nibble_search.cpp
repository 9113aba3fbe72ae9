// NibbleMaskSearch: the buckets, the tables and the passes at 32 and 64
// bytes a step.
#include "pattern/literal_nibble_search.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "pattern/internal/char_types.h"
#include "pattern/internal/literal_bytes.h"

#if defined(__x86_64__) && defined(__GNUC__)
#define KV_NIBBLE_SEARCH_VECTOR 1
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

#ifdef KV_NIBBLE_SEARCH_VECTOR
// The pass at 32 bytes a step.
namespace avx2 {
#define KV_NIBBLE_TARGET __attribute__((target("avx2")))
#define KV_NIBBLE_INLINE __attribute__((target("avx2"), always_inline)) inline
using Vec = __m256i;
using LaneBits = std::uint32_t;
constexpr std::size_t kLanes = 32;

KV_NIBBLE_INLINE Vec Splat(char byte) { return _mm256_set1_epi8(byte); }
KV_NIBBLE_INLINE Vec Load(const unsigned char* at) {
  return _mm256_loadu_si256(reinterpret_cast<const Vec*>(at));
}
KV_NIBBLE_INLINE Vec Table(const std::uint8_t* entries) {
  return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(entries)));
}
KV_NIBBLE_INLINE Vec LowHalves(Vec bytes) { return _mm256_and_si256(bytes, Splat(0x0f)); }
KV_NIBBLE_INLINE Vec HighHalves(Vec bytes) {
  return _mm256_and_si256(_mm256_srli_epi16(bytes, 4), Splat(0x0f));
}
KV_NIBBLE_INLINE Vec Lookup(Vec table, Vec halves) { return _mm256_shuffle_epi8(table, halves); }
KV_NIBBLE_INLINE Vec And3(Vec a, Vec b, Vec c) {
  return _mm256_and_si256(a, _mm256_and_si256(b, c));
}
KV_NIBBLE_INLINE Vec Or(Vec a, Vec b) { return _mm256_or_si256(a, b); }
KV_NIBBLE_INLINE LaneBits NonZero(Vec v) {
  return ~static_cast<LaneBits>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, _mm256_setzero_si256())));
}
KV_NIBBLE_INLINE void Store(std::uint8_t* to, Vec v) {
  _mm256_store_si256(reinterpret_cast<Vec*>(to), v);
}

#include "pattern/internal/nibble_pass.inc"
#undef KV_NIBBLE_TARGET
#undef KV_NIBBLE_INLINE
}  // namespace avx2

// The pass at 64 bytes a step, on processors with AVX-512BW.
namespace avx512 {
#define KV_NIBBLE_TARGET __attribute__((target("avx512f,avx512bw")))
#define KV_NIBBLE_INLINE __attribute__((target("avx512f,avx512bw"), always_inline)) inline
using Vec = __m512i;
using LaneBits = std::uint64_t;
constexpr std::size_t kLanes = 64;

KV_NIBBLE_INLINE Vec Splat(char byte) { return _mm512_set1_epi8(byte); }
KV_NIBBLE_INLINE Vec Load(const unsigned char* at) { return _mm512_loadu_si512(at); }
KV_NIBBLE_INLINE Vec Table(const std::uint8_t* entries) {
  // The masked form: GCC 12 warns of the plain one's undefined start value.
  return _mm512_maskz_broadcast_i32x4(0xffff,
                                      _mm_loadu_si128(reinterpret_cast<const __m128i*>(entries)));
}
KV_NIBBLE_INLINE Vec LowHalves(Vec bytes) { return _mm512_and_si512(bytes, Splat(0x0f)); }
KV_NIBBLE_INLINE Vec HighHalves(Vec bytes) {
  return _mm512_and_si512(_mm512_srli_epi16(bytes, 4), Splat(0x0f));
}
KV_NIBBLE_INLINE Vec Lookup(Vec table, Vec halves) { return _mm512_shuffle_epi8(table, halves); }
KV_NIBBLE_INLINE Vec And3(Vec a, Vec b, Vec c) {
  return _mm512_ternarylogic_epi64(a, b, c, 0x80);  // a & b & c
}
KV_NIBBLE_INLINE Vec Or(Vec a, Vec b) { return _mm512_or_si512(a, b); }
KV_NIBBLE_INLINE LaneBits NonZero(Vec v) { return _mm512_test_epi8_mask(v, v); }
KV_NIBBLE_INLINE void Store(std::uint8_t* to, Vec v) { _mm512_store_si512(to, v); }

#include "pattern/internal/nibble_pass.inc"
#undef KV_NIBBLE_TARGET
#undef KV_NIBBLE_INLINE
}  // namespace avx512
#endif
}  // namespace

bool NibbleMaskSearch::Supported() {
#ifdef KV_NIBBLE_SEARCH_VECTOR
  return __builtin_cpu_supports("avx2") != 0;
#else
  return false;
#endif
}

bool NibbleMaskSearch::WideSupported() {
#ifdef KV_NIBBLE_SEARCH_VECTOR
  // VBMI marks the processors that run 512-bit integer work at full clock
  // (Ice Lake and later, Zen 4); the earlier ones slow the whole core for it.
  return __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512bw") != 0 &&
         __builtin_cpu_supports("avx512vbmi") != 0;
#else
  return false;
#endif
}

NibbleMaskSearch::NibbleMaskSearch(const std::vector<OwnedLiteral>& literals,
                                   const std::vector<std::uint32_t>& chosen, bool mayGoWide)
    : wide_(mayGoWide && WideSupported()) {
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
#ifdef KV_NIBBLE_SEARCH_VECTOR
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  auto check = [&](std::size_t at, std::uint32_t buckets) {
    CheckBuckets(bytes, data.size(), at, buckets, literals, marks);
  };
  if (wide_) return avx512::MarkCandidates(bytes, data.size(), groups_, check);
  avx2::MarkCandidates(bytes, data.size(), groups_, check);
#else
  (void)data, (void)literals, (void)marks;
#endif
}

}  // namespace kv
