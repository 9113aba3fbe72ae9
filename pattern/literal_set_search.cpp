// LiteralSetSearch: the tables and the sliding window.
#include "pattern/literal_set_search.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "pattern/internal/literal_bytes.h"

namespace kv {
namespace {

constexpr std::size_t kMaxWindow = 8;
constexpr std::size_t kMinWindow = 4;
// Independent windows moved in turn: each jump waits for the table lookup
// of the one before, so one window alone leaves the processor idle.
constexpr std::size_t kCursors = 8;
constexpr std::size_t kBlockBytes = 3;
constexpr std::size_t kBatchRounds = 32;
// The shift table has about four entries per block of the literals, between
// these bounds: small enough for a few literals to stay in the fastest
// cache, large enough for thousands to leave most entries free.
constexpr unsigned kMinTableBits = 12;
constexpr unsigned kMaxTableBits = 16;
constexpr unsigned kFilterBits = 1 << 16;

// The table index of the three bytes ending at `last`. Setting bit 0x20 of
// every byte folds ASCII letters to lower case, and some other bytes
// together with them: the table only filters, and every literal is then
// compared as it asks.
unsigned Block(const unsigned char* last, unsigned tableBits) {
  const std::uint32_t key =
      (static_cast<std::uint32_t>(last[-2]) | static_cast<std::uint32_t>(last[-1]) << 8 |
       static_cast<std::uint32_t>(last[0]) << 16) |
      0x202020u;
  return (key * 2654435761u) >> (32 - tableBits);
}

// Block with one load: it also reads the byte after `last`, which the
// caller keeps inside the buffer.
unsigned BlockReadingAhead(const unsigned char* last, unsigned tableBits) {
  if constexpr (std::endian::native != std::endian::little) return Block(last, tableBits);
  std::uint32_t word;
  std::memcpy(&word, last - 2, sizeof word);
  const std::uint32_t key = (word & 0xffffffu) | 0x202020u;
  return (key * 2654435761u) >> (32 - tableBits);
}

// The window's bytes as one number, folded as Block folds them.
std::uint64_t WindowKey(const unsigned char* window, std::size_t length) {
  std::uint64_t key = 0;
  for (std::size_t i = 0; i < length; ++i) key |= std::uint64_t{window[i] | 0x20u} << (8 * i);
  return key;
}

// WindowKey with one load, where `length` bytes from `window` lie inside
// the buffer but 8 may not: the bytes past it are masked off.
std::uint64_t WindowKeyReadingAhead(const unsigned char* window, std::size_t length) {
  if constexpr (std::endian::native != std::endian::little) return WindowKey(window, length);
  std::uint64_t word;
  std::memcpy(&word, window, sizeof word);
  return (word | 0x2020202020202020ULL) & (~std::uint64_t{0} >> (64 - 8 * length));
}

unsigned WindowHash(std::uint64_t key) {
  return static_cast<unsigned>((key * 0x9E3779B97F4A7C15ULL) >> 48) % kFilterBits;
}

}  // namespace

LiteralSetSearch::LiteralSetSearch(std::vector<OwnedLiteral> literals, LiteralRoute route)
    : literals_(std::move(literals)) {
  const auto vectorSized = static_cast<std::size_t>(
      std::count_if(literals_.begin(), literals_.end(), [](const OwnedLiteral& literal) {
        return literal.bytes.size() >= NibbleMaskSearch::kFingerprintBytes;
      }));
  const bool byNibbles = route != LiteralRoute::kSlidingWindow && vectorSized > 0 &&
                         vectorSized <= NibbleMaskSearch::kMaxLiterals &&
                         NibbleMaskSearch::Supported();
  const std::size_t shortBelow = byNibbles ? NibbleMaskSearch::kFingerprintBytes : kMinWindow;
  std::vector<std::uint32_t> longOnes;
  window_ = kMaxWindow;
  for (std::uint32_t i = 0; i < literals_.size(); ++i) {
    const std::size_t length = literals_[i].bytes.size();
    if (length < shortBelow) {
      shortLiterals_.push_back(i);
    } else {
      longOnes.push_back(i);
      window_ = std::min(window_, length);
    }
  }
  if (byNibbles) {
    nibbles_ = NibbleMaskSearch(literals_, longOnes, route == LiteralRoute::kFastest);
  }
  if (byNibbles || longOnes.empty()) {
    window_ = 0;
    return;
  }
  tableBits_ = kMinTableBits;
  while (tableBits_ < kMaxTableBits &&
         (std::size_t{1} << tableBits_) < 4 * longOnes.size() * window_) {
    ++tableBits_;
  }
  const std::size_t blocks = std::size_t{1} << tableBits_;
  shift_.assign(blocks, static_cast<std::uint8_t>(window_ - kBlockBytes + 1));
  windowFilter_.assign(kFilterBits / 64, 0);
  std::vector<std::uint32_t> counts(blocks + 1, 0);
  windowAt_.assign(literals_.size(), 0);
  for (const std::uint32_t i : longOnes) {
    windowAt_[i] = static_cast<std::uint32_t>(RarestPlace(literals_[i].bytes, window_));
    const auto* bytes =
        reinterpret_cast<const unsigned char*>(literals_[i].bytes.data()) + windowAt_[i];
    // A block ending at offset j of the window lets the window jump by
    // window - 1 - j at most.
    for (std::size_t j = kBlockBytes - 1; j < window_; ++j) {
      std::uint8_t& shift = shift_[Block(bytes + j, tableBits_)];
      shift = std::min<std::uint8_t>(shift, static_cast<std::uint8_t>(window_ - 1 - j));
    }
    ++counts[Block(bytes + window_ - 1, tableBits_) + 1];
    const unsigned bit = WindowHash(WindowKey(bytes, window_));
    windowFilter_[bit / 64] |= std::uint64_t{1} << (bit % 64);
  }
  bucketStart_.assign(blocks + 1, 0);
  for (std::size_t b = 0; b < blocks; ++b) bucketStart_[b + 1] = bucketStart_[b] + counts[b + 1];
  bucketLiterals_.resize(longOnes.size());
  std::vector<std::uint32_t> next(bucketStart_.begin(), bucketStart_.end() - 1);
  for (const std::uint32_t i : longOnes) {
    const auto* bytes =
        reinterpret_cast<const unsigned char*>(literals_[i].bytes.data()) + windowAt_[i];
    bucketLiterals_[next[Block(bytes + window_ - 1, tableBits_)]++] = i;
  }
}

bool LiteralSetSearch::MayStartHere(const unsigned char* window, std::size_t room) const {
  const unsigned bit =
      WindowHash(room >= sizeof(std::uint64_t) ? WindowKeyReadingAhead(window, window_)
                                               : WindowKey(window, window_));
  return (windowFilter_[bit / 64] >> (bit % 64) & 1) != 0;
}

void LiteralSetSearch::MarkShortLiterals(std::string_view data,
                                         std::vector<std::uint8_t>& marks) const {
  for (const std::uint32_t i : shortLiterals_) {
    const OwnedLiteral& literal = literals_[i];
    if (marks[literal.owner] != 0) continue;
    if (!literal.caseless) {
      marks[literal.owner] =
          memmem(data.data(), data.size(), literal.bytes.data(), literal.bytes.size()) != nullptr;
      continue;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    for (std::size_t p = 0; p + literal.bytes.size() <= data.size() && marks[literal.owner] == 0;
         ++p) {
      marks[literal.owner] = SameBytes(bytes + p, literal);
    }
  }
}

void LiteralSetSearch::CheckWindow(const unsigned char* bytes, std::size_t size, std::size_t last,
                                   std::vector<std::uint8_t>& marks) const {
  const std::size_t start = last + 1 - window_;
  if (!MayStartHere(bytes + start, size - start)) return;
  const unsigned block = Block(bytes + last, tableBits_);
  for (std::uint32_t k = bucketStart_[block]; k < bucketStart_[block + 1]; ++k) {
    const std::uint32_t index = bucketLiterals_[k];
    const OwnedLiteral& literal = literals_[index];
    if (marks[literal.owner] != 0 || windowAt_[index] > start) continue;
    const std::size_t from = start - windowAt_[index];
    if (literal.bytes.size() <= size - from && SameBytes(bytes + from, literal)) {
      marks[literal.owner] = 1;
    }
  }
}

void LiteralSetSearch::MarkOwners(std::string_view data, std::vector<std::uint8_t>& marks) const {
  MarkShortLiterals(data, marks);
  if (nibbles_.has_value()) nibbles_->MarkOwners(data, literals_, marks);
  if (window_ == 0 || data.size() < window_) return;
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  const std::size_t size = data.size();
  // Cursor k looks at the windows ending in [last[k], to[k]); a jump past
  // its range lands in the next cursor's, which looks there itself.
  const std::size_t firstLast = window_ - 1;
  const std::size_t span = (size - firstLast + kCursors - 1) / kCursors;
  std::size_t last[kCursors];
  std::size_t to[kCursors];
  for (std::size_t k = 0; k < kCursors; ++k) {
    last[k] = std::min(size, firstLast + k * span);
    to[k] = std::min(size, firstLast + (k + 1) * span);
  }
  auto move = [&](std::size_t k, std::uint8_t shift) {
    if (shift == 0) CheckWindow(bytes, size, last[k], marks);
    last[k] += shift == 0 ? 1 : shift;
  };
  // While every cursor is short of its range's end and of the buffer's last
  // byte, the one-load block is safe. A step moves a cursor by at most
  // `longest`, so the nearest end says how many rounds may go unchecked.
  const std::size_t longest = window_ - kBlockBytes + 1;
  const std::uint8_t* table = shift_.data();
  const unsigned tableBits = tableBits_;
  while (true) {
    std::size_t room = size;
    for (std::size_t k = 0; k < kCursors; ++k) {
      const std::size_t end = std::min(to[k], size - 1);
      room = std::min(room, last[k] < end ? end - last[k] : 0);
    }
    if (room == 0) break;
    // The windows to check are noted and checked after a batch of rounds,
    // so that no call in the rounds pushes the cursors out of registers.
    for (std::size_t rounds = (room + longest - 1) / longest; rounds > 0;) {
      const std::size_t batch = std::min(rounds, kBatchRounds);
      std::size_t noted[kBatchRounds * kCursors];
      std::size_t count = 0;
      for (std::size_t round = 0; round < batch; ++round) {
#pragma GCC unroll 8
        for (std::size_t k = 0; k < kCursors; ++k) {
          const std::uint8_t shift = table[BlockReadingAhead(bytes + last[k], tableBits)];
          noted[count] = last[k];
          count += shift == 0 ? 1 : 0;
          last[k] += shift == 0 ? 1 : shift;
        }
      }
      for (std::size_t i = 0; i < count; ++i) CheckWindow(bytes, size, noted[i], marks);
      rounds -= batch;
    }
  }
  for (std::size_t k = 0; k < kCursors; ++k) {
    while (last[k] < to[k]) move(k, shift_[Block(bytes + last[k], tableBits_)]);
  }
}

}  // namespace kv
