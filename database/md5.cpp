// MD5 (RFC 1321): four 32-bit state words updated by 64 steps per 64-byte
// block; the message is padded with 0x80, zeros and its bit length.
// Written for clarity over speed: the key is 6 bytes long.
#include "database/md5.h"

#include <cstddef>
#include <vector>

namespace kv {
namespace {

// Per-step left rotations, four per round.
constexpr std::array<std::uint32_t, 16> kShifts = {7, 12, 17, 22, 5, 9,  14, 20,
                                                   4, 11, 16, 23, 6, 10, 15, 21};

// floor(abs(sin(i + 1)) * 2^32), as tabulated in RFC 1321.
constexpr std::array<std::uint32_t, 64> kSines = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

std::uint32_t RotateLeft(std::uint32_t value, std::uint32_t bits) {
  return (value << bits) | (value >> (32 - bits));
}

void ProcessBlock(const std::uint8_t* block, std::array<std::uint32_t, 4>& state) {
  std::array<std::uint32_t, 16> words{};
  for (std::size_t i = 0; i < 16; ++i) {
    words[i] = static_cast<std::uint32_t>(block[4 * i]) |
               static_cast<std::uint32_t>(block[4 * i + 1]) << 8 |
               static_cast<std::uint32_t>(block[4 * i + 2]) << 16 |
               static_cast<std::uint32_t>(block[4 * i + 3]) << 24;
  }
  std::uint32_t a = state[0];
  std::uint32_t b = state[1];
  std::uint32_t c = state[2];
  std::uint32_t d = state[3];
  for (std::uint32_t step = 0; step < 64; ++step) {
    std::uint32_t mixed = 0;
    std::uint32_t wordIndex = 0;
    switch (step / 16) {
      case 0:
        mixed = (b & c) | (~b & d);
        wordIndex = step;
        break;
      case 1:
        mixed = (d & b) | (~d & c);
        wordIndex = (5 * step + 1) % 16;
        break;
      case 2:
        mixed = b ^ c ^ d;
        wordIndex = (3 * step + 5) % 16;
        break;
      default:
        mixed = c ^ (b | ~d);
        wordIndex = (7 * step) % 16;
        break;
    }
    const std::uint32_t shift = kShifts[(step / 16) * 4 + step % 4];
    const std::uint32_t rotated = RotateLeft(a + mixed + kSines[step] + words[wordIndex], shift);
    a = d;
    d = c;
    c = b;
    b = b + rotated;
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}

}  // namespace

Md5::Md5(std::string_view bytes) {
  // Message, 0x80, zeros up to 56 mod 64, then the bit length (little-endian).
  std::vector<std::uint8_t> message(bytes.begin(), bytes.end());
  message.push_back(0x80);
  while (message.size() % 64 != 56) {
    message.push_back(0);
  }
  const std::uint64_t bitLength = static_cast<std::uint64_t>(bytes.size()) * 8;
  for (int i = 0; i < 8; ++i) {
    message.push_back(static_cast<std::uint8_t>(bitLength >> (8 * i)));
  }

  std::array<std::uint32_t, 4> state = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  for (std::size_t offset = 0; offset < message.size(); offset += 64) {
    ProcessBlock(message.data() + offset, state);
  }
  for (std::size_t i = 0; i < 16; ++i) {
    digest_[i] = static_cast<std::uint8_t>(state[i / 4] >> (8 * (i % 4)));
  }
}

}  // namespace kv
