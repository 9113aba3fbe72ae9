// Md5 against the test suite of RFC 1321 and at the padding boundaries.
#include "scan/md5.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace kv {
namespace {

std::string Hex(const Md5::DigestBytes& digest) {
  std::string hex;
  for (const std::uint8_t byte : digest) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", byte);
    hex += pair;
  }
  return hex;
}

struct DigestCase {
  std::string message;
  std::string_view digest;
};

TEST(Md5, MatchesTheRfc1321TestSuite) {
  const DigestCase cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const DigestCase& c : cases) {
    EXPECT_EQ(Hex(Md5(c.message).Digest()), c.digest) << "message \"" << c.message << "\"";
  }
}

TEST(Md5, PadsCorrectlyAroundTheBlockBoundary) {
  // 55 bytes fit one block with the length; 56 need a second; 64 fill one.
  const DigestCase cases[] = {
      {std::string(55, 'a'), "ef1772b6dff9a122358552954ad0df65"},
      {std::string(56, 'a'), "3b0c8ac703f828b04c6c197006d17218"},
      {std::string(64, 'a'), "014842d480b571495a4a0363793f7367"},
  };
  for (const DigestCase& c : cases) {
    EXPECT_EQ(Hex(Md5(c.message).Digest()), c.digest) << c.message.size() << " bytes";
  }
}

TEST(Md5, DigestsTheDatabaseKey) {
  EXPECT_EQ(Hex(Md5("QOPRUX").Digest()), "15dd016abe62cc312f0c251c541d654d");
}

TEST(Md5, GivesTheSameDigestOnEveryRequest) {
  const Md5 md5("message digest");
  const Md5::DigestBytes first = md5.Digest();
  EXPECT_EQ(md5.Digest(), first);
  EXPECT_EQ(md5.Digest(), first);
}

TEST(Md5, TakesBytesNotText) {
  // A zero byte inside the message is digested, not a terminator.
  EXPECT_NE(Md5(std::string_view("a\0b", 3)).Digest(), Md5("a").Digest());
}

}  // namespace
}  // namespace kv
