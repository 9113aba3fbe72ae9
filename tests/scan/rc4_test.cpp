// Rc4Crypt against published vectors (the original test vectors and the key
// streams of RFC 6229), its fresh state per call, and its refusals.
#include "scan/rc4.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace kv {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes FromText(std::string_view text) { return Bytes(text.begin(), text.end()); }

Bytes Crypt(const Bytes& data, const Bytes& key) {
  Bytes out(data.size());
  std::size_t length = 0;
  EXPECT_NE(Rc4Crypt(data, key, out, length), 0);
  EXPECT_EQ(length, data.size());
  return out;
}

TEST(Rc4Crypt, EnciphersThePublishedTextVectors) {
  struct Case {
    std::string_view key;
    std::string_view plain;
    Bytes cipher;
  };
  const Case cases[] = {
      {"Key", "Plaintext", {0xBB, 0xF3, 0x16, 0xE8, 0xD9, 0x40, 0xAF, 0x0A, 0xD3}},
      {"Wiki", "pedia", {0x10, 0x21, 0xBF, 0x04, 0x20}},
      {"Secret",
       "Attack at dawn",
       {0x45, 0xA0, 0x1F, 0x64, 0x5F, 0xC3, 0x5B, 0x38, 0x35, 0x52, 0x54, 0x4B, 0x9B, 0xF5}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Crypt(FromText(c.plain), FromText(c.key)), c.cipher) << "key " << c.key;
  }
}

TEST(Rc4Crypt, ProducesTheRfc6229KeyStreamAtOffsets0And16) {
  struct Case {
    Bytes key;
    Bytes stream;  // offsets 0 to 31
  };
  const Case cases[] = {
      {{0x01, 0x02, 0x03, 0x04, 0x05},
       {0xb2, 0x39, 0x63, 0x05, 0xf0, 0x3d, 0xc0, 0x27, 0xcc, 0xc3, 0x52,
        0x4a, 0x0a, 0x11, 0x18, 0xa8, 0x69, 0x82, 0x94, 0x4f, 0x18, 0xfc,
        0x82, 0xd5, 0x89, 0xc4, 0x03, 0xa4, 0x7a, 0x0d, 0x09, 0x19}},
      {{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07},
       {0x29, 0x3f, 0x02, 0xd4, 0x7f, 0x37, 0xc9, 0xb6, 0x33, 0xf2, 0xaf,
        0x52, 0x85, 0xfe, 0xb4, 0x6b, 0xe6, 0x20, 0xf1, 0x39, 0x0d, 0x19,
        0xbd, 0x84, 0xe2, 0xe0, 0xfd, 0x75, 0x20, 0x31, 0xaf, 0xc1}},
      {{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08},
       {0x97, 0xab, 0x8a, 0x1b, 0xf0, 0xaf, 0xb9, 0x61, 0x32, 0xf2, 0xf6,
        0x72, 0x58, 0xda, 0x15, 0xa8, 0x82, 0x63, 0xef, 0xdb, 0x45, 0xc4,
        0xa1, 0x86, 0x84, 0xef, 0x87, 0xe6, 0xb1, 0x9e, 0x5b, 0x09}},
      {{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f,
        0x10},
       {0x9a, 0xc7, 0xcc, 0x9a, 0x60, 0x9d, 0x1e, 0xf7, 0xb2, 0x93, 0x28,
        0x99, 0xcd, 0xe4, 0x1b, 0x97, 0x52, 0x48, 0xc4, 0x95, 0x90, 0x14,
        0x12, 0x6a, 0x6e, 0x8a, 0x84, 0xf1, 0x1d, 0x1a, 0x9e, 0x1c}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Crypt(Bytes(32, 0), c.key), c.stream) << c.key.size() << "-byte key";
  }
}

TEST(Rc4Crypt, StartsEveryCallAtTheBeginningOfTheKeyStream) {
  const Bytes key = FromText("QOPRUX");
  const Bytes data = FromText("same line");
  EXPECT_EQ(Crypt(data, key), Crypt(data, key));
}

TEST(Rc4Crypt, DeciphersWhatItEnciphered) {
  const Bytes key = FromText("key");
  const Bytes plain = FromText("[VirusCharacter]");
  EXPECT_EQ(Crypt(Crypt(plain, key), key), plain);
}

TEST(Rc4Crypt, HandlesEmptyData) {
  const Bytes key = FromText("key");
  std::array<std::uint8_t, 1> data{};
  std::array<std::uint8_t, 1> out{0x55};
  std::size_t length = 99;
  EXPECT_NE(Rc4Crypt(std::span(data).first(0), key, out, length), 0);
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(out[0], 0x55);
}

TEST(Rc4Crypt, RefusesNullOrUnusableBuffersWithoutWriting) {
  const std::array<std::uint8_t, 4> data = {1, 2, 3, 4};
  const std::array<std::uint8_t, 3> key = {7, 8, 9};
  struct Case {
    std::string_view what;
    std::span<const std::uint8_t> data;
    std::span<const std::uint8_t> key;
    std::size_t outSize;
    bool nullOut;
  };
  const Case cases[] = {
      {"null data", {}, key, 4, false},
      {"null key", data, {}, 4, false},
      {"null out", data, key, 4, true},
      {"empty key", data, std::span(key).first(0), 4, false},
      {"out shorter than data", data, key, 3, false},
  };
  for (const Case& c : cases) {
    std::array<std::uint8_t, 4> out = {0xAA, 0xAA, 0xAA, 0xAA};
    std::size_t length = 77;
    const std::span<std::uint8_t> outSpan =
        c.nullOut ? std::span<std::uint8_t>() : std::span(out).first(c.outSize);
    EXPECT_EQ(Rc4Crypt(c.data, c.key, outSpan, length), 0) << c.what;
    EXPECT_EQ(length, 77u) << c.what;
    EXPECT_EQ(out, (std::array<std::uint8_t, 4>{0xAA, 0xAA, 0xAA, 0xAA})) << c.what;
  }
}

}  // namespace
}  // namespace kv
