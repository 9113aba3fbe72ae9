// DecodeDatabaseLine: lines stored by the test encoder come back as their
// plain text; failures leave the output as it was.
#include "scan/line_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "support/database_writer.h"

namespace kv {
namespace {

using testing::StoredLine;

constexpr std::string_view kKey = "QOPRUX";

std::string AllBytesButZero() {
  std::string bytes;
  for (int b = 1; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

TEST(DecodeDatabaseLine, DecodesStoredLines) {
  const std::string plains[] = {
      "[VirusCharacter]",
      "Demo                KVX-[0-9]{4}",
      "\\Windows\\evil.exe",
      std::string(117, 'x'),
      AllBytesButZero().substr(0, 117),
      AllBytesButZero().substr(117),
      "a",
      "ab",
  };
  for (const std::string& plain : plains) {
    std::string out = "previous";
    EXPECT_EQ(DecodeDatabaseLine(kKey, StoredLine(plain), out), 0) << plain;
    EXPECT_EQ(out, plain);
  }
}

TEST(DecodeDatabaseLine, DecodesAKnownStoredLine) {
  // "[VirusFile]" enciphered under MD5("QOPRUX"), as an independent RC4 and
  // Base64 implementation wrote it.
  std::string out;
  EXPECT_EQ(DecodeDatabaseLine(kKey, "rWkKSNSJXQXMrDw=", out), 0);
  EXPECT_EQ(out, "[VirusFile]");
}

TEST(DecodeDatabaseLine, DependsOnTheKey) {
  std::string out;
  EXPECT_EQ(DecodeDatabaseLine("QOPRUY", StoredLine("[VirusFile]"), out), 0);
  EXPECT_NE(out, "[VirusFile]");
  EXPECT_EQ(out.size(), std::string_view("[VirusFile]").size());
}

TEST(DecodeDatabaseLine, DecodesTheSameStoredTextAlikeWhateverCameBefore) {
  const std::string first = StoredLine("first line");
  const std::string second = StoredLine("second line");
  std::string a;
  std::string b;
  std::string c;
  DecodeDatabaseLine(kKey, first, a);
  DecodeDatabaseLine(kKey, second, b);
  DecodeDatabaseLine(kKey, first, c);
  EXPECT_EQ(a, "first line");
  EXPECT_EQ(b, "second line");
  EXPECT_EQ(c, a);
}

TEST(DecodeDatabaseLine, SkipsBlanksTabsAndLineFeedsInsideAStoredLine) {
  const std::string stored = StoredLine("\\My Documents\\game.cab");
  const std::string spaced =
      stored.substr(0, 5) + " " + stored.substr(5, 7) + "\t\n" + stored.substr(12);
  std::string out;
  EXPECT_EQ(DecodeDatabaseLine(kKey, spaced, out), 0);
  EXPECT_EQ(out, "\\My Documents\\game.cab");
}

TEST(DecodeDatabaseLine, GivesAnEmptyLineForStoredTextBelowFourCharacters) {
  for (const std::string_view stored : {"", "A", "AB", "ABC", "!!!"}) {
    std::string out = "previous";
    EXPECT_EQ(DecodeDatabaseLine(kKey, stored, out), 0) << stored;
    EXPECT_EQ(out, "");
  }
}

TEST(DecodeDatabaseLine, LeavesTheOutputUntouchedOnFailure) {
  const std::string stored = StoredLine("abcdef");
  const std::string cases[] = {
      "    ",                      // only characters outside the alphabet
      "!!!!!!!!",                  //
      stored.substr(0, 6) + "  ",  // ends inside a group
      "abcde fg",                  //
  };
  for (const std::string& line : cases) {
    std::string out = "previous";
    EXPECT_EQ(DecodeDatabaseLine(kKey, line, out), -1) << "\"" << line << "\"";
    EXPECT_EQ(out, "previous");
  }
}

TEST(DecodeDatabaseLine, KeepsZeroBytesOfThePlainLine) {
  const std::string plain("ab\0cd", 5);
  std::string out;
  EXPECT_EQ(DecodeDatabaseLine(kKey, StoredLine(plain), out), 0);
  EXPECT_EQ(out, plain);
}

TEST(DecodeDatabaseLine, ReadsTheStoredLineUpToItsFirstZeroByte) {
  const std::string stored = StoredLine("\\a.exe") + std::string(1, '\0') + "Zm9vYmFy";
  std::string out;
  EXPECT_EQ(DecodeDatabaseLine(kKey, stored, out), 0);
  EXPECT_EQ(out, "\\a.exe");
}

TEST(DecodeDatabaseLine, RefusesAPlainLineLongerThanItsBuffer) {
  struct Case {
    std::size_t plainBytes;
    int result;
  };
  // 255 plain bytes fit the 256-byte buffer; 256 do not; 320 exceed the
  // Base64 buffer as well.
  for (const Case c : {Case{255, 0}, Case{256, -1}, Case{319, -1}, Case{320, -1}}) {
    const std::string plain(c.plainBytes, 'p');
    std::string out = "previous";
    EXPECT_EQ(DecodeDatabaseLine(kKey, StoredLine(plain), out), c.result) << c.plainBytes;
    EXPECT_EQ(out, c.result == 0 ? plain : "previous");
  }
}

}  // namespace
}  // namespace kv
