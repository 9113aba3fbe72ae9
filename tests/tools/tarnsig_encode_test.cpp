// tarnsig encode and decode end to end: round trips over random plain lines,
// agreement with an independent encoder, and the refused inputs.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "support/database_writer.h"
#include "tarnsig_runner.h"

namespace kv {
namespace {

using testing::ReadFile;
using testing::RunResult;
using testing::RunTarnsig;
using testing::StoredLine;
using testing::TempDir;
using testing::WriteFile;

// Plain lines of every length up to the largest one that fits, made of every
// byte but NUL, CR and LF.
std::vector<std::string> RandomPlainLines(unsigned seed, std::size_t count) {
  std::mt19937 random(seed);
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < count; ++i) {
    std::string line(i < 118 ? i : random() % 118, ' ');
    for (char& c : line) {
      do {
        c = static_cast<char>(1 + random() % 255);
      } while (c == '\r' || c == '\n');
    }
    lines.push_back(line);
  }
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines, std::string_view end) {
  std::string text;
  for (const std::string& line : lines) text += line + std::string(end);
  return text;
}

TEST(TarnsigEncode, RoundTripsRandomPlainLinesThroughDecode) {
  const TempDir dir;
  std::vector<std::string> lines = {"20102"};
  for (const std::string& line : RandomPlainLines(1321, 300)) lines.push_back(line);
  const std::string plain = JoinLines(lines, "\n");
  WriteFile(dir.File("plain.txt"), plain);

  const RunResult encoded = RunTarnsig({"encode", dir.File("plain.txt"), "-o", dir.File("db")});
  ASSERT_EQ(encoded.status, 0) << encoded.err;
  EXPECT_EQ(encoded.out, "");
  EXPECT_EQ(encoded.err, "");

  const RunResult decoded = RunTarnsig({"decode", dir.File("db")});
  EXPECT_EQ(decoded.status, 0) << decoded.err;
  EXPECT_EQ(decoded.out, plain);
  EXPECT_EQ(decoded.err, "");
}

TEST(TarnsigEncode, WritesWhatAnIndependentEncoderWrites) {
  const TempDir dir;
  const std::vector<std::string> lines = RandomPlainLines(4648, 150);
  std::string expected = "7\r\n";
  for (const std::string& line : lines) expected += StoredLine(line) + "\r\n";
  WriteFile(dir.File("plain.txt"), "7\n" + JoinLines(lines, "\n"));

  ASSERT_EQ(RunTarnsig({"encode", dir.File("plain.txt"), "-o", dir.File("db")}).status, 0);
  EXPECT_EQ(ReadFile(dir.File("db")), expected);
}

TEST(TarnsigEncode, AcceptsLfAndCrLfLineEndsAndALastLineWithoutOne) {
  const TempDir dir;
  const std::string variants[] = {
      "20102\n[VirusFile]\n\\a.exe\n",
      "20102\r\n[VirusFile]\r\n\\a.exe\r\n",
      "20102\r\n[VirusFile]\n\\a.exe",
  };
  const std::string expected =
      "20102\r\n" + StoredLine("[VirusFile]") + "\r\n" + StoredLine("\\a.exe") + "\r\n";
  for (const std::string& plain : variants) {
    WriteFile(dir.File("plain.txt"), plain);
    ASSERT_EQ(RunTarnsig({"encode", dir.File("plain.txt"), "-o", dir.File("db")}).status, 0);
    EXPECT_EQ(ReadFile(dir.File("db")), expected) << plain;
  }
}

TEST(TarnsigEncode, CopiesTheVersionLineAsItIs) {
  const TempDir dir;
  WriteFile(dir.File("plain.txt"), "  v2 not a number \n");
  ASSERT_EQ(RunTarnsig({"encode", dir.File("plain.txt"), "-o", dir.File("db")}).status, 0);
  EXPECT_EQ(ReadFile(dir.File("db")), "  v2 not a number \r\n");
}

TEST(TarnsigEncode, StoresAnEmptyPlainLineAsAnEmptyLine) {
  const TempDir dir;
  WriteFile(dir.File("plain.txt"), "1\n\nx\n");
  ASSERT_EQ(RunTarnsig({"encode", dir.File("plain.txt"), "-o", dir.File("db")}).status, 0);
  EXPECT_EQ(ReadFile(dir.File("db")), "1\r\n\r\n" + StoredLine("x") + "\r\n");
}

TEST(TarnsigEncode, RefusesLinesItCannotStoreNamingTheLineNumber) {
  struct Case {
    std::string plain;
    std::string problem;  // after "tarnsig: encode: <plain file>"
  };
  const Case cases[] = {
      {"", ": no version line"},
      {"1\nok\n" + std::string(118, 'x') + "\n",
       ":3: encoded line would be 160 characters, more than 159"},
      {"1\n" + std::string(200, 'x'), ":2: encoded line would be 268 characters, more than 159"},
      {std::string("1\nok\nbad\0line\n", 14), ":3: line holds a NUL byte"},
      {std::string("1\0\n", 3), ":1: line holds a NUL byte"},
      {"1\nok\nlone\rCR\n", ":3: line holds a CR that does not end it"},
      {"1\r\nok\r\nok\r\nlone\rCR\r\n", ":4: line holds a CR that does not end it"},
      {"1\nabc\r", ":2: line holds a CR that does not end it"},
      {"1\rx\n", ":1: line holds a CR that does not end it"},
  };
  const TempDir dir;
  for (const Case& c : cases) {
    WriteFile(dir.File("plain.txt"), c.plain);
    const RunResult result = RunTarnsig({"encode", dir.File("plain.txt"), "-o", dir.File("db")});
    EXPECT_EQ(result.status, 2) << c.problem;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "tarnsig: encode: " + dir.File("plain.txt") + c.problem + "\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("db"))) << c.problem;
  }
}

TEST(TarnsigEncode, AcceptsTheLongestLineThatFits) {
  const TempDir dir;
  WriteFile(dir.File("plain.txt"), "1\n" + std::string(117, 'x') + "\n");
  ASSERT_EQ(RunTarnsig({"encode", dir.File("plain.txt"), "-o", dir.File("db")}).status, 0);
  EXPECT_EQ(ReadFile(dir.File("db")).size(), 3u + 156u + 2u);
}

TEST(TarnsigEncode, ReportsFilesItCannotReadOrWrite) {
  const TempDir dir;
  WriteFile(dir.File("plain.txt"), "1\n");
  struct Case {
    std::string plain;
    std::string out;
    std::string message;
  };
  const Case cases[] = {
      {dir.File("missing.txt"), dir.File("db"),
       "tarnsig: encode: cannot open '" + dir.File("missing.txt") + "'\n"},
      {dir.File(""), dir.File("db"), "tarnsig: encode: '" + dir.File("") + "' is a directory\n"},
      {dir.File("plain.txt"), dir.File("no/such/dir/db"),
       "tarnsig: encode: cannot write '" + dir.File("no/such/dir/db") + "'\n"},
  };
  for (const Case& c : cases) {
    const RunResult result = RunTarnsig({"encode", c.plain, "-o", c.out});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, c.message);
  }
}

TEST(TarnsigEncode, ReplacesAnExistingDatabase) {
  const TempDir dir;
  WriteFile(dir.File("db"), std::string(1000, 'o'));
  WriteFile(dir.File("plain.txt"), "5\n");
  ASSERT_EQ(RunTarnsig({"encode", dir.File("plain.txt"), "-o", dir.File("db")}).status, 0);
  EXPECT_EQ(ReadFile(dir.File("db")), "5\r\n");
}

}  // namespace
}  // namespace kv
