// The line decoder and its three parts: MD5 and RC4 against published
// vectors, Base64 against RFC 4648 and the lenient rules the database relies
// on, and DecodeDatabaseLine on lines stored by the test encoder.
#include "database/line_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "database/base64.h"
#include "database/md5.h"
#include "database/rc4.h"
#include "database/virus_database.h"
#include "support/database_writer.h"
#include "support/hex.h"

namespace kv::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(Md5, MatchesTheRfc1321TestSuite) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      // Two blocks: the length no longer fits behind the message.
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"}};
  for (const auto& [message, digest] : cases) {
    EXPECT_EQ(Hex(Md5(message).Digest()), digest) << message;
  }
}

// Published vectors (each call starts the key stream afresh), then refusals
// of no key or too short an output, which write nothing.
TEST(Rc4Crypt, EnciphersThePublishedVectorsAndRefusesBadBuffersWithoutWriting) {
  const struct {
    std::string key;
    std::string plain;
    std::optional<std::string> cipher;
    std::size_t room;
  } cases[] = {
      {"Key", "Plaintext", "bbf316e8d940af0ad3", 9},
      {"\x01\x02\x03\x04\x05", std::string(16, '\0'), "b2396305f03dc027ccc3524a0a1118a8", 16},
      {"", "\x01\x02\x03\x04", std::nullopt, 4},
      {"Key", "\x01\x02\x03\x04", std::nullopt, 3}};
  for (const auto& [key, plain, cipher, room] : cases) {
    Bytes out(room, 0xAA);
    std::size_t length = 77;
    const bool done =
        Rc4Crypt(Bytes(plain.begin(), plain.end()), Bytes(key.begin(), key.end()), out, length);
    EXPECT_EQ(done ? std::optional(Hex(out)) : std::nullopt, cipher) << key;
    EXPECT_EQ(length, done ? plain.size() : 77u) << key;
    EXPECT_TRUE(done || out == Bytes(room, 0xAA)) << key;
  }
}

// The decoded bytes, or nullopt when decoding fails (which must leave the
// out length alone).
std::optional<std::string> Decode(std::string_view text, std::size_t room = 300) {
  Bytes out(room);
  std::size_t length = 12345;
  if (!Base64Decode(text, out, length)) {
    EXPECT_EQ(length, 12345u) << text;
    return std::nullopt;
  }
  return std::string(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(length));
}

TEST(Base64Decode, DecodesRfc4648AndTheLenientForms) {
  // RFC 4648; characters outside the alphabet, high bytes included, are
  // skipped; padding ends decoding, and inside a group stands for zero bits;
  // a tail shorter than a group is ignored, and so is text below four; input
  // that ends inside a group fails, and so does text of no digits.
  // clang-format off
  const std::pair<std::string_view, std::optional<std::string>> cases[] = {
      {"", ""}, {"Zg==", "f"}, {"Zm8=", "fo"}, {"Zm9vYmFy", "foobar"}, {"Zm\t9v\nYm Fy", "foobar"},
      {"Z-m.9*v", "foo"}, {"Zm\x80\xff" "9v", "foo"}, {"Zm9vZg==Zm9v", "foof"}, {"Zm9vZ===", "foo"},
      {"====", ""}, {"Z=m9", std::string("\x64\x09", 2)}, {"Zm9vYmF", "foo"}, {"Zm9", ""},
      {"!!!", ""}, {"Zm 9", std::nullopt}, {"Zm9vY   ", std::nullopt}, {"    ", std::nullopt},
      {"\x80\x81\x82\x83", std::nullopt}};
  // clang-format on
  for (const auto& [text, decoded] : cases) EXPECT_EQ(Decode(text), decoded) << text;
}

TEST(Base64Decode, DecodesEveryDigitAndNeverWritesPastItsOutput) {
  std::string bytes;
  for (int byte = 0; byte < 256; ++byte) bytes += static_cast<char>(byte);
  EXPECT_EQ(Decode(Base64ForTest(bytes)), bytes);
  EXPECT_EQ(Decode("Zm9vYmFy", 6), "foobar");
  EXPECT_EQ(Decode("Zm9vYmFy", 5), std::nullopt);
}

TEST(DecodeDatabaseLine, DecodesStoredLinesOrFailsLeavingTheOutputUntouched) {
  std::string allBytes;  // every byte but zero
  for (int byte = 1; byte < 256; ++byte) allBytes += static_cast<char>(byte);
  const std::string zero("ab\0cd", 5);
  const std::pair<std::string, std::optional<std::string>> cases[] = {
      {StoredLine(zero), zero},
      {StoredLine(allBytes.substr(0, 117)), allBytes.substr(0, 117)},
      {StoredLine(std::string(255, 'p')), std::string(255, 'p')},
      {"rWkKSNSJXQXMrDw=", "[VirusFile]"},  // as an independent RC4 and Base64 stored it
      {"ABC", ""},                          // below four characters: an empty line
      {"!!!!!!!!", std::nullopt},           // no digits
      {StoredLine(std::string(256, 'p')), std::nullopt},  // over the plain line's 255 bytes
  };
  for (const auto& [line, plain] : cases) {
    std::string out = "previous";
    const bool decoded = DecodeDatabaseLine(kDatabaseKey, line, out);
    EXPECT_EQ(decoded ? std::optional(out) : std::nullopt, plain) << line;
    EXPECT_TRUE(decoded || out == "previous") << line;
  }
}

}  // namespace
}  // namespace kv::testing
