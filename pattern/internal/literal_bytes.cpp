// The literal searches' shared byte helpers.
#include "pattern/internal/literal_bytes.h"

#include <cstring>

#include "pattern/internal/char_types.h"

namespace kv {
namespace {

// The trailing bytes of a place that weigh most: a table indexed by them
// filters best when they are rare.
constexpr std::size_t kTrailingBytes = 3;

int Rarity(unsigned char byte) {
  const bool common = (byte >= 'a' && byte <= 'z') || byte == ' ' || byte == 0;
  return common ? 0 : 1;
}

}  // namespace

bool SameBytes(const unsigned char* data, const OwnedLiteral& literal) {
  if (!literal.caseless) return std::memcmp(data, literal.bytes.data(), literal.bytes.size()) == 0;
  for (std::size_t i = 0; i < literal.bytes.size(); ++i) {
    if (chartype::ToLower(data[i]) !=
        chartype::ToLower(static_cast<unsigned char>(literal.bytes[i]))) {
      return false;
    }
  }
  return true;
}

std::size_t RarestPlace(const std::string& bytes, std::size_t length) {
  std::size_t best = 0;
  int bestScore = -1;
  for (std::size_t at = 0; at + length <= bytes.size(); ++at) {
    int score = 0;
    for (std::size_t i = 0; i < length; ++i) {
      const int rarity = Rarity(static_cast<unsigned char>(bytes[at + i]));
      score += i + kTrailingBytes >= length ? 16 * rarity : rarity;
    }
    if (score > bestScore) {
      best = at;
      bestScore = score;
    }
  }
  return best;
}

}  // namespace kv
