// Base64Decode: the vectors of RFC 4648, then the lenient rules the database
// relies on, one table per rule.
#include "scan/base64.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kv {
namespace {

constexpr std::size_t kUntouched = 12345;

// The decoded bytes, or nullopt when decoding fails.
std::optional<std::string> Decode(std::string_view text) {
  std::array<std::uint8_t, 64> out{};
  std::size_t length = kUntouched;
  if (Base64Decode(text, out, length) != 0) {
    EXPECT_EQ(length, kUntouched) << "out length set on failure for \"" << text << "\"";
    return std::nullopt;
  }
  EXPECT_LE(length, out.size());
  return std::string(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(length));
}

struct Case {
  std::string_view text;
  std::optional<std::string> decoded;  // nullopt: fails
};

void ExpectAll(std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(Decode(c.text), c.decoded) << "input \"" << c.text << "\"";
  }
}

TEST(Base64Decode, DecodesTheRfc4648Vectors) {
  ExpectAll({
      {"", ""},
      {"Zg==", "f"},
      {"Zm8=", "fo"},
      {"Zm9v", "foo"},
      {"Zm9vYg==", "foob"},
      {"Zm9vYmE=", "fooba"},
      {"Zm9vYmFy", "foobar"},
  });
}

TEST(Base64Decode, DecodesEveryAlphabetCharacterToItsPosition) {
  const std::optional<std::string> bytes =
      Decode("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/");
  ASSERT_TRUE(bytes.has_value());
  ASSERT_EQ(bytes->size(), 48u);
  // Positions 0..63 as a 384-bit string: bit i of value k is bit 6k + i.
  for (std::size_t value = 0; value < 64; ++value) {
    std::uint32_t got = 0;
    for (std::size_t bit = 0; bit < 6; ++bit) {
      const std::size_t index = 6 * value + bit;
      const auto byte = static_cast<unsigned char>((*bytes)[index / 8]);
      got = got << 1 | ((byte >> (7 - index % 8)) & 1u);
    }
    EXPECT_EQ(got, value);
  }
}

TEST(Base64Decode, SkipsCharactersOutsideTheAlphabet) {
  ExpectAll({
      {"Zm 9v", "foo"},
      {"Zm\t9v\nYmFy", "foobar"},
      {"Z-m.9*v", "foo"},
      {"Zm\x80\xff"
       "9v",
       "foo"},
      {"\r\nZm9v", "foo"},
      {"  Zg==", "f"},
  });
}

TEST(Base64Decode, PaddingEndsDecoding) {
  ExpectAll({
      {"Zg==", "f"},
      {"Zm8=", "fo"},
      {"Zm9vZg==Zm9v", "foof"},
      {"Zm8=garbage!", "fo"},
      {"Zm9vZ===", "foo"},
      {"Zm9v====Zm9v", "foo"},
      {"====", ""},
  });
}

TEST(Base64Decode, CountsPaddingAsZeroInItsPlace) {
  // One "=" anywhere in a group gives two bytes, the "=" standing for 0.
  ExpectAll({
      {"=Zm9", std::string("\x01\x99", 2)},
      {"Z=m9", std::string("\x64\x09", 2)},
  });
}

TEST(Base64Decode, IgnoresATailShorterThanAGroup) {
  ExpectAll({
      {"Zm9vY", "foo"},
      {"Zm9vYm", "foo"},
      {"Zm9vYmF", "foo"},
      {"Zm9vYmFyZ", "foobar"},
  });
}

TEST(Base64Decode, TreatsTextBelowFourCharactersAsEmpty) {
  ExpectAll({
      {"", ""},
      {"Z", ""},
      {"Zm", ""},
      {"Zm9", ""},
      {"!!!", ""},
  });
}

TEST(Base64Decode, FailsWhenTheInputEndsInsideAGroup) {
  ExpectAll({
      {"Zm 9", std::nullopt},
      {"Zm9vY   ", std::nullopt},
      {"Zm9v    ", std::nullopt},
      {"Zm9vYmF\n", std::nullopt},
  });
}

TEST(Base64Decode, FailsOnTextMadeOnlyOfCharactersOutsideTheAlphabet) {
  ExpectAll({
      {"    ", std::nullopt},
      {"!!!!!", std::nullopt},
      {"\x80\x81\x82\x83", std::nullopt},
      {"\t\t\t\t\t\t\t\t\t", std::nullopt},
  });
}

TEST(Base64Decode, FailsRatherThanWritePastItsOutput) {
  std::array<std::uint8_t, 4> out = {9, 9, 9, 9};
  std::size_t length = kUntouched;
  EXPECT_EQ(Base64Decode("Zm9vYmFy", std::span(out).first(3), length), 1);
  EXPECT_EQ(length, kUntouched);
  EXPECT_EQ(out[3], 9);

  EXPECT_EQ(Base64Decode("Zm9vYmFy", std::span(out).first(0), length), 1);
  EXPECT_EQ(Base64Decode("Zm9v", std::span(out).first(3), length), 0);
  EXPECT_EQ(length, 3u);
}

}  // namespace
}  // namespace kv
