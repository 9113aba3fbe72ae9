// The signature primitives and their line format: a signature made with a
// key verifies with its public half over exactly the signed bytes, and the
// line reader takes one Base64 line of the exact length and nothing else.
#include "update/signature_line.h"

#include <gtest/gtest.h>

#include <string>

namespace kv {
namespace {

TEST(SignatureLine, VerifiesOnlyTheSignedBytesUnderTheSignersKey) {
  PublicKey publicKey{};
  SecretKey secretKey{};
  PublicKey otherKey{};
  SecretKey otherSecret{};
  ASSERT_TRUE(GenerateKeyPair(publicKey, secretKey));
  ASSERT_TRUE(GenerateKeyPair(otherKey, otherSecret));
  const std::string database = "200\r\nline\r\n";
  DatabaseSignature signature{};
  ASSERT_TRUE(SignDatabase(secretKey, database, signature));

  DatabaseSignature read{};
  ASSERT_TRUE(ParseSignatureLine(KeyLine(signature), read));
  EXPECT_TRUE(VerifyDatabase(publicKey, database, read));
  EXPECT_FALSE(VerifyDatabase(otherKey, database, read));
  EXPECT_FALSE(VerifyDatabase(publicKey, "201\r\nline\r\n", read));
  EXPECT_FALSE(VerifyDatabase(publicKey, database.substr(0, 5), read));
  read[0] ^= 1;
  EXPECT_FALSE(VerifyDatabase(publicKey, database, read));
}

TEST(SignatureLine, ReadsOneLineOfTheExactLength) {
  PublicKey key{};
  for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<std::uint8_t>(i * 7);
  std::string text = KeyLine(key);
  ASSERT_EQ(text.back(), '\n');
  text.pop_back();
  ASSERT_EQ(text.size(), 44u);
  const struct {
    std::string line;
    bool read;
  } rows[] = {
      {text, true},
      {text + "\r\n", true},
      {text + "\n", true},
      {text + "\r\n\r\n", false},
      {text + " ", false},
      {" " + text, false},
      {text.substr(0, 43), false},  // no padding
      {text.substr(0, 40), false},  // 30 bytes
      {text.substr(0, 43) + "A", false},
      {"", false},
      {text.substr(0, 20) + "\n" + text.substr(20), false},
  };
  for (const auto& row : rows) {
    PublicKey read{};
    EXPECT_EQ(ParsePublicKeyLine(row.line, read), row.read) << row.line;
    if (row.read) {
      EXPECT_EQ(read, key) << row.line;
    }
  }
  DatabaseSignature signature{};
  EXPECT_FALSE(ParseSignatureLine(text, signature));  // a key's line is too short
}

}  // namespace
}  // namespace kv
