// End-to-end tests of `tarnsig match` and `tarnsig match-batch` on the real
// binary: answers, zero and high bytes, malformed batch lines, errors.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/conformance_table.h"
#include "tarnsig_runner.h"

namespace kv {
namespace {

namespace fs = std::filesystem;
using testing::RunResult;

class TarnsigMatch : public ::testing::Test {
 protected:
  fs::path Write(const std::string& name, const std::string& content) const {
    testing::WriteFile(dir_.File(name), content);
    return dir_.File(name);
  }

  // Runs tarnsig with `args`, `input` on standard input.
  static RunResult Run(const std::vector<std::string>& args, const std::string& input = "") {
    return testing::RunTarnsigWithInput(args, input);
  }

  testing::TempDir dir_;
};

std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const char c : bytes) {
    hex += kDigits[(static_cast<unsigned char>(c) >> 4) & 0xF];
    hex += kDigits[static_cast<unsigned char>(c) & 0xF];
  }
  return hex;
}

TEST_F(TarnsigMatch, PrintsOneWhenThePatternOccursInTheFile) {
  using namespace std::string_literals;
  const fs::path file = Write("sample.bin", "xx\0MZ\xff\x80 tail"s);
  struct Row {
    std::string pattern;
    std::string out;
  };
  for (const Row& row : std::vector<Row>{{"MZ\\xff", "1\n"},
                                         {"\\x00MZ", "1\n"},
                                         {"[\\x80-\\xff]{2}", "1\n"},
                                         {"^tail", "0\n"},
                                         {"tail$", "1\n"},
                                         {"PE", "0\n"}}) {
    const RunResult result = Run({"match", row.pattern, file.string()});
    EXPECT_EQ(result.out, row.out) << row.pattern;
    EXPECT_EQ(result.status, 0) << row.pattern;
    EXPECT_EQ(result.err, "") << row.pattern;
  }
}

TEST_F(TarnsigMatch, AnEmptyFileIsMatchedLikeAnEmptyBuffer) {
  const fs::path file = Write("empty", "");
  EXPECT_EQ(Run({"match", "", file.string()}).out, "1\n");
  EXPECT_EQ(Run({"match", "a", file.string()}).out, "0\n");
}

TEST_F(TarnsigMatch, AFileThatCannotBeReadIsAnInputError) {
  const std::string missing = dir_.File("missing");
  RunResult result = Run({"match", "a", missing});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "tarnsig: match: cannot open '" + missing + "'\n");

  result = Run({"match", "a", dir_.File("")});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, "tarnsig: match: '" + dir_.File("") + "' is a directory\n");
}

TEST_F(TarnsigMatch, WrongArgumentsAreAUsageError) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"match"}, {"match", "a"}, {"match", "a", "b", "c"}}) {
    const RunResult result = Run(args);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "tarnsig: match: expected 2 arguments (usage: tarnsig match PATTERN FILE)\n");
  }
  const RunResult batch = Run({"match-batch", "extra"});
  EXPECT_EQ(batch.status, 2);
  EXPECT_EQ(batch.err,
            "tarnsig: match-batch: unexpected argument 'extra' (usage: tarnsig match-batch < "
            "LINES)\n");
}

TEST_F(TarnsigMatch, AnEngineFailureIsReportedNotAnswered) {
  const fs::path file = Write("a", "a");
  const RunResult result = Run({"match", "(?R)", file.string()});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "tarnsig: match: pattern search exceeded its nesting depth\n");
}

TEST_F(TarnsigMatch, BatchAnswersEveryLineWithOneZeroOrE) {
  using namespace std::string_literals;
  struct Row {
    std::string line;
    char answer;
  };
  const std::vector<Row> rows = {
      {Hex("abc") + "\t" + Hex("xabcx"), '1'},
      {Hex("abd") + "\t" + Hex("xabcx"), '0'},
      {"\t", '1'},
      {Hex("a") + "\t", '0'},
      {"4142\t414243", '1'},
      {Hex("a\0b"s) + "\t" + Hex("xa\0b"s), '1'},
      {Hex("a\0b"s) + "\t" + Hex("ab"), '0'},
      {Hex("^\\xff$") + "\t" + Hex("\xff"), '1'},
      {"", 'E'},
      {"616", 'E'},
      {"616\t61", 'E'},
      {"6g\t61", 'E'},
      {"61\t6", 'E'},
      {"61\t61\t61", 'E'},
      {"61\t61\r", '1'},  // a CR LF line end
      {Hex("(?R)") + "\t" + Hex("a"), 'E'},
      {Hex("x") + "\t" + Hex("x"), '1'},
  };
  std::string input;
  std::string expected;
  for (const Row& row : rows) {
    input += row.line + "\n";
    expected += std::string(1, row.answer) + "\n";
  }
  const RunResult result = Run({"match-batch"}, input);
  EXPECT_EQ(result.out, expected);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
}

TEST_F(TarnsigMatch, BatchAnswersALastLineWithoutLineFeedAndNothingForNoInput) {
  EXPECT_EQ(Run({"match-batch"}, Hex("b") + "\t" + Hex("abc")).out, "1\n");
  const RunResult empty = Run({"match-batch"}, "");
  EXPECT_EQ(empty.out, "");
  EXPECT_EQ(empty.status, 0);
}

TEST_F(TarnsigMatch, BatchAnswersTheWholeConformanceTable) {
  std::ifstream in(testing::kConformanceTablePath, std::ios::binary);
  std::vector<testing::ConformanceRow> rows;
  std::string error;
  ASSERT_TRUE(testing::ReadConformanceTable(in, rows, error)) << error;
  ASSERT_GE(rows.size(), testing::kMinimumRows);

  std::string input;
  for (const testing::ConformanceRow& row : rows) {
    input += Hex(row.pattern) + "\t" + Hex(row.data) + "\n";
  }
  const RunResult result = Run({"match-batch"}, input);
  ASSERT_EQ(result.status, 0) << result.err;
  std::istringstream answers(result.out);
  std::string answer;
  for (const testing::ConformanceRow& row : rows) {
    ASSERT_TRUE(std::getline(answers, answer)) << "no answer from " << testing::Describe(row);
    EXPECT_EQ(answer, std::to_string(row.expected)) << testing::Describe(row);
  }
  EXPECT_FALSE(std::getline(answers, answer)) << "more answers than lines";
}

}  // namespace
}  // namespace kv
