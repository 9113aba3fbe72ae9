// tarnsig match and match-batch end to end on the real binary: answers over
// zero and high bytes, and malformed batch lines.
#include <gtest/gtest.h>

#include <string>

#include "support/hex.h"
#include "support/program_runner.h"

namespace kv::testing {
namespace {

TEST(TarnsigMatch, PrintsWhetherThePatternOccursInTheFile) {
  const TempDir dir;
  WriteFile(dir.File("sample"), std::string("xx\0MZ\xff\x80 tail", 12));
  WriteFile(dir.File("empty"), "");
  // clang-format off
  const std::array<std::string, 3> cases[] = {
      {"\\x00MZ\\xff", "sample", "1"}, {"[\\x80-\\xff]{2}", "sample", "1"},
      {"^tail", "sample", "0"}, {"tail$", "sample", "1"},
      {"", "empty", "1"}, {"a", "empty", "0"}};
  // clang-format on
  for (const bool reference : {false, true}) {
    for (const auto& [pattern, file, answer] : cases) {
      const RunResult result = RunTarnsig(Way(reference, {"match", pattern, dir.File(file)}));
      EXPECT_EQ(result.status, 0) << pattern;
      EXPECT_EQ(result.out + result.err, answer + "\n") << pattern << " reference " << reference;
    }
  }
}

TEST(TarnsigMatch, BatchAnswersEveryLineWithOneZeroOrE) {
  using namespace std::string_literals;
  // clang-format off
  const std::pair<std::string, char> rows[] = {
      {Hex("abc") + "\t" + Hex("xabcx"), '1'}, {Hex("abd") + "\t" + Hex("xabcx"), '0'},
      {"\t", '1'}, {Hex("a") + "\t", '0'}, {"61\t61\r", '1'},
      {Hex("a\0b"s) + "\t" + Hex("xa\0b"s), '1'}, {Hex("a\0b"s) + "\t" + Hex("ab"), '0'},
      {Hex("^\\xff$") + "\t" + Hex("\xff"), '1'}, {Hex("(?R)") + "\t" + Hex("a"), 'E'},
      {"", 'E'}, {"616", 'E'}, {"6g\t61", 'E'}, {"61\t6", 'E'},
      {"61\t61\t61", 'E'}};
  // clang-format on
  std::string input;
  std::string expected;
  for (const auto& [line, answer] : rows) {
    input += line + "\n";
    expected += {answer, '\n'};
  }
  // The last line may lack its line feed.
  for (const bool reference : {false, true}) {
    const RunResult result =
        RunTarnsig(Way(reference, {"match-batch"}), input + Hex("b") + "\t" + Hex("abc"));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out + result.err, expected + "1\n") << "reference " << reference;
  }
  EXPECT_EQ(RunTarnsig({"match-batch"}).out, "");
}

}  // namespace
}  // namespace kv::testing
