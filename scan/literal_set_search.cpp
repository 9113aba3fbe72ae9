// LiteralSetSearch: the tables and the sliding window.
#include "scan/literal_set_search.h"

#include <algorithm>
#include <cstring>

namespace kv {
namespace {

constexpr std::size_t kMaxWindow = 8;
constexpr std::size_t kMinWindow = 4;
constexpr std::size_t kBlocks = 1 << 16;
constexpr unsigned kFilterBits = 1 << 16;

struct FoldTable {
  unsigned char fold[256];
  constexpr FoldTable() : fold() {
    for (int c = 0; c < 256; ++c) {
      fold[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
  }
};
constexpr FoldTable kFold;

unsigned Block(const unsigned char* last) {
  return static_cast<unsigned>(kFold.fold[last[-1]]) << 8 | kFold.fold[last[0]];
}

unsigned WindowHash(const unsigned char* window, std::size_t length) {
  std::uint64_t key = 0;
  for (std::size_t i = 0; i < length; ++i) key = key << 8 | kFold.fold[window[i]];
  return static_cast<unsigned>((key * 0x9E3779B97F4A7C15ULL) >> 48) % kFilterBits;
}

bool SameBytes(const unsigned char* data, const OwnedLiteral& literal) {
  if (!literal.caseless) return std::memcmp(data, literal.bytes.data(), literal.bytes.size()) == 0;
  for (std::size_t i = 0; i < literal.bytes.size(); ++i) {
    if (kFold.fold[data[i]] != kFold.fold[static_cast<unsigned char>(literal.bytes[i])]) {
      return false;
    }
  }
  return true;
}

}  // namespace

LiteralSetSearch::LiteralSetSearch(std::vector<OwnedLiteral> literals)
    : literals_(std::move(literals)) {
  std::vector<std::uint32_t> longOnes;
  window_ = kMaxWindow;
  for (std::uint32_t i = 0; i < literals_.size(); ++i) {
    const std::size_t length = literals_[i].bytes.size();
    if (length < kMinWindow) {
      shortLiterals_.push_back(i);
    } else {
      longOnes.push_back(i);
      window_ = std::min(window_, length);
    }
  }
  if (longOnes.empty()) {
    window_ = 0;
    return;
  }
  shift_.assign(kBlocks, static_cast<std::uint8_t>(window_ - 1));
  windowFilter_.assign(kFilterBits / 64, 0);
  std::vector<std::uint32_t> counts(kBlocks + 1, 0);
  for (const std::uint32_t i : longOnes) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(literals_[i].bytes.data());
    // A block ending at offset j of the window lets the window jump by
    // window - 1 - j at most.
    for (std::size_t j = 1; j < window_; ++j) {
      std::uint8_t& shift = shift_[Block(bytes + j)];
      shift = std::min<std::uint8_t>(shift, static_cast<std::uint8_t>(window_ - 1 - j));
    }
    ++counts[Block(bytes + window_ - 1) + 1];
    const unsigned bit = WindowHash(bytes, window_);
    windowFilter_[bit / 64] |= std::uint64_t{1} << (bit % 64);
  }
  bucketStart_.assign(kBlocks + 1, 0);
  for (std::size_t b = 0; b < kBlocks; ++b) bucketStart_[b + 1] = bucketStart_[b] + counts[b + 1];
  bucketLiterals_.resize(longOnes.size());
  std::vector<std::uint32_t> next(bucketStart_.begin(), bucketStart_.end() - 1);
  for (const std::uint32_t i : longOnes) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(literals_[i].bytes.data());
    bucketLiterals_[next[Block(bytes + window_ - 1)]++] = i;
  }
}

bool LiteralSetSearch::MayStartHere(const unsigned char* window) const {
  const unsigned bit = WindowHash(window, window_);
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

void LiteralSetSearch::MarkOwners(std::string_view data, std::vector<std::uint8_t>& marks) const {
  MarkShortLiterals(data, marks);
  if (window_ == 0 || data.size() < window_) return;
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  const std::size_t size = data.size();
  for (std::size_t last = window_ - 1; last < size;) {
    const unsigned block = Block(bytes + last);
    const std::uint8_t shift = shift_[block];
    if (shift != 0) {
      last += shift;
      continue;
    }
    const std::size_t start = last + 1 - window_;
    if (MayStartHere(bytes + start)) {
      for (std::uint32_t k = bucketStart_[block]; k < bucketStart_[block + 1]; ++k) {
        const OwnedLiteral& literal = literals_[bucketLiterals_[k]];
        if (marks[literal.owner] == 0 && literal.bytes.size() <= size - start &&
            SameBytes(bytes + start, literal)) {
          marks[literal.owner] = 1;
        }
      }
    }
    ++last;
  }
}

}  // namespace kv
