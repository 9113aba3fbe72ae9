// tarnsig encode, decode, list and check end to end on the real binary:
// random round trips checked against the test encoder, the refusals naming
// the line, the pinned list output, undecodable lines, and check's answers
// and exit statuses (1 found, else 2 not checked, else 0), in argument order
// on any number of threads.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "support/database_writer.h"
#include "support/program_runner.h"

namespace kv::testing {
namespace {

class TarnsigTest : public ::testing::Test {
 protected:
  std::string File(std::string_view name) const { return dir_.File(name); }
  RunResult Encode(std::string_view plain) const {
    WriteFile(File("plain.txt"), plain);
    return RunTarnsig({"encode", File("plain.txt"), "-o", File("db")});
  }
  // Encodes what lint would refuse: these tests hold the loader's reading.
  RunResult EncodeForced(std::string_view plain) const {
    WriteFile(File("plain.txt"), plain);
    return RunTarnsig({"encode", "--force", File("plain.txt"), "-o", File("db")});
  }

  TempDir dir_;
};

TEST_F(TarnsigTest, EncodeReplacesTheDatabaseWithTheTestEncodersLinesAndDecodeReadsThemBack) {
  // A version line taken as it is, then lines ending in LF or CR LF, of every
  // length up to the longest that fits (117 bytes, stored in 156 characters)
  // and of every byte but NUL, CR and LF.
  std::mt19937 random(1321);
  std::string plain = " v2 x \r\n";
  std::string stored = plain;
  std::string decoded = " v2 x \n";
  for (std::size_t i = 0; i < 300; ++i) {
    std::string line(i < 118 ? i : random() % 118, ' ');
    for (char& c : line) {
      c = static_cast<char>(1 + random() % 255);
      if (c == '\r' || c == '\n') c = '~';
    }
    plain += line + (i % 2 ? "\r\n" : "\n");
    stored += StoredLine(line) + "\r\n";
    decoded += line + "\n";
  }
  WriteFile(File("db"), std::string(1000, 'o'));
  const RunResult encoded = EncodeForced(plain);
  EXPECT_EQ(encoded.status, 0);
  EXPECT_EQ(encoded.out + encoded.err, "");
  EXPECT_EQ(ReadFile(File("db")), stored);
  const RunResult result = RunTarnsig({"decode", File("db")});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, decoded);
}

TEST_F(TarnsigTest, EncodeRefusesWhatItCannotStoreNamingTheLine) {
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {
      {"", ": no version line"},
      {"1\n\n" + std::string(118, 'x'), ":3: encoded line would be 160 characters, more than 159"},
      {std::string("1\nok\nbad\0line\n", 14), ":3: line holds a NUL byte"},
      {"1\r\nok\r\nok\r\nlone\rCR\r\n", ":4: line holds a CR that does not end it"},
      {"1\nabc\r", ":2: line holds a CR that does not end it"}};
  // clang-format on
  for (const auto& [plain, problem] : cases) {
    const RunResult result = EncodeForced(plain);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "tarnsig: encode: " + File("plain.txt") + problem + "\n");
    EXPECT_FALSE(std::filesystem::exists(File("db"))) << problem;
  }
}

TEST_F(TarnsigTest, ListShowsWhatTheLoaderLoads) {
  const std::string head =
      DatabaseFile("20102", {"Orphan              before-marker", "[VirusCharacter]",
                             "Alpha               abc[0-9]+", "NoBlankInNameField!!x", "short",
                             "[VirusFile]", "\\Windows\\a b.exe", "[VirusProcess]", "evil.exe",
                             "tab\there caf\xe9.exe", "[DELETE_FILES]"});
  WriteFile(File("db"), head + StoredLine("[Alpha]") + "\r\n");
  const RunResult result = RunTarnsig({"list", File("db")});
  EXPECT_EQ(result.status, 0);
  // clang-format off
  EXPECT_EQ(result.out,
            "version 20102\nsection character 3\n"
            "character 1 name=Orphan pattern=before-marker\n"
            "character 2 name=Alpha pattern=abc[0-9]+\ncharacter 3 name= pattern=x\n"
            "section file 1\nfile 1 path=\\Windows\\a b.exe\n"
            "section process 2\nprocess 1 exe=evil.exe\nprocess 2 exe=tab\\x09here caf\\xE9.exe\n"
            "delete-files-offset " + std::to_string(head.size()) + "\n");
  // clang-format on
  WriteFile(File("db"), DatabaseFile("-3", {}));
  EXPECT_EQ(RunTarnsig({"list", File("db")}).out,
            "version -3\nsection character 0\nsection file 0\nsection process 0\n"
            "delete-files-offset none\n");
}

TEST_F(TarnsigTest, DecodeMarksUndecodableLinesAndEndsPlainLinesAtAZeroByte) {
  WriteFile(File("db"), DatabaseFile("1", {"first", std::string_view("keep\0drop", 9)}) +
                            "!!!!\r\n" + StoredLine("abc") + "    \r\n" + StoredLine("lost"));
  const RunResult result = RunTarnsig({"decode", File("db")});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "1\nfirst\nkeep\n<<undecodable line 4>>\n<<undecodable line 5>>\n");
}

TEST_F(TarnsigTest, CheckNamesTheFirstSignatureOfEachFileAndGoesOnAfterFailures) {
  const char* plain =
      "7\nFirst               alpha\nSecond              beta[0-9]+\n"
      "Looping             (?R)\n";
  ASSERT_EQ(Encode(plain).status, 0);
  WriteFile(File("a"), "beta42 alpha");
  WriteFile(File("b"), "beta7");
  WriteFile(File("empty"), "");
  WriteFile(File("loops"), "nothing the first two find");
  for (const bool reference : {false, true}) {
    SCOPED_TRACE(reference ? "reference" : "fast");
    EXPECT_EQ(RunTarnsig(Way(reference, {"check", File("db"), File("empty")})).status, 0);
    EXPECT_EQ(RunTarnsig(Way(reference, {"check", File("db"), File("loops")})).status, 2);
    const RunResult result =
        RunTarnsig(Way(reference, {"check", File("db"), File("a"), File("missing"), File("b"),
                                   File("loops"), File("empty")}));
    EXPECT_EQ(result.status, 1);  // a finding outranks the files not checked
    EXPECT_EQ(result.out, File("a") + ": signature 1 First\n" + File("b") +
                              ": signature 2 Second\n" + File("empty") + ": clean\n");
    EXPECT_EQ(result.err, "tarnsig: check: cannot open '" + File("missing") + "'\n" +
                              "tarnsig: check: '" + File("loops") +
                              "': pattern search exceeded its nesting depth\n");
  }
}

// The pool finishes files out of order (large and small, failures among
// them); the answers still come in argument order, the same on 1 and 4.
TEST_F(TarnsigTest, CheckAnswersInArgumentOrderOnOneAndFourThreads) {
  const char* plain =
      "7\nFirst               alpha\nSecond              beta[0-9]+\n"
      "Looping             (?R)\n";
  ASSERT_EQ(Encode(plain).status, 0);
  std::vector<std::string> args = {"check", "--threads", "1", File("db")};
  std::string out;
  std::string err;
  for (int i = 0; i < 40; ++i) {
    const std::string file = File("f" + std::to_string(i));
    args.push_back(file);
    const std::string padding(i % 3 == 0 ? 1 << 20 : 10, '-');
    switch (i % 4) {
      case 0:
        WriteFile(file, padding + "alpha");
        out += file + ": signature 1 First\n";
        break;
      case 1:
        WriteFile(file, "beta" + std::to_string(i) + padding);
        out += file + ": signature 2 Second\n";
        break;
      case 2:
        WriteFile(file, padding);
        err += "tarnsig: check: '" + file + "': pattern search exceeded its nesting depth\n";
        break;
      default:
        err += "tarnsig: check: cannot open '" + file + "'\n";
        break;
    }
  }
  for (const char* threads : {"1", "4"}) {
    SCOPED_TRACE(threads);
    args[2] = threads;
    const RunResult result = RunTarnsig(args);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, out);
    EXPECT_EQ(result.err, err);
  }
}

}  // namespace
}  // namespace kv::testing
