// End-to-end tests of `tarnsig check`: which signature each file matches,
// in argument order, with unreadable files and engine failures reported
// without stopping the other checks.
#include <gtest/gtest.h>

#include <string>

#include "tarnsig_runner.h"

namespace kv {
namespace {

using testing::RunResult;
using testing::RunTarnsig;
using testing::TempDir;
using testing::WriteFile;

class TarnsigCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(dir_.File("plain.txt"),
              "7\n[VirusCharacter]\n"
              "First               alpha\n"
              "Second              beta[0-9]+\n"
              "Looping             (?R)\n"
              "Third               gamma\n");
    ASSERT_EQ(RunTarnsig({"encode", dir_.File("plain.txt"), "-o", Database()}).status, 0);
  }

  std::string Database() const { return dir_.File("VirusDB.dat"); }

  TempDir dir_;
};

TEST_F(TarnsigCheck, NamesTheFirstMatchingSignatureOfEachFile) {
  WriteFile(dir_.File("a"), "beta42 alpha");
  WriteFile(dir_.File("b"), "beta7");
  WriteFile(dir_.File("empty"), "");
  const RunResult result =
      RunTarnsig({"check", Database(), dir_.File("a"), dir_.File("b"), dir_.File("empty")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, dir_.File("a") + ": signature 1 First\n" + dir_.File("b") +
                            ": signature 2 Second\n" + dir_.File("empty") + ": clean\n");
  EXPECT_EQ(result.err, "");
}

TEST_F(TarnsigCheck, ReportsFailuresAndGoesOnWithTheOtherFiles) {
  WriteFile(dir_.File("loops"), "nothing the first two find");
  WriteFile(dir_.File("b"), "beta1");
  const std::string missing = dir_.File("missing");
  const RunResult result =
      RunTarnsig({"check", Database(), missing, dir_.File("loops"), dir_.File("b")});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, dir_.File("b") + ": signature 2 Second\n");
  EXPECT_EQ(result.err, "tarnsig: check: cannot open '" + missing + "'\n" +
                            "tarnsig: check: '" + dir_.File("loops") +
                            "': pattern search exceeded its nesting depth\n");
}

TEST_F(TarnsigCheck, NeedsADatabaseAndAFile) {
  const RunResult onlyDatabase = RunTarnsig({"check", Database()});
  EXPECT_EQ(onlyDatabase.status, 2);
  EXPECT_EQ(onlyDatabase.err,
            "tarnsig: check: needs a database and at least one file "
            "(usage: tarnsig check VirusDB.dat FILE...)\n");

  WriteFile(dir_.File("f"), "alpha");
  const RunResult noDatabase = RunTarnsig({"check", dir_.File("none.dat"), dir_.File("f")});
  EXPECT_EQ(noDatabase.status, 2);
  EXPECT_EQ(noDatabase.out, "");
}

}  // namespace
}  // namespace kv
