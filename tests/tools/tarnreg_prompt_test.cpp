// tarnreg's (Yes/No) question before overwriting or deleting, answered on
// standard input: Yes changes the hive, No or no answer at all (end of
// input) leaves it byte for byte as it was and exits 1; /f and a new value
// ask nothing; a missing target exits 1 without a question.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry/hive.h"
#include "support/program_runner.h"

namespace kv::testing {
namespace {

const std::string kKey = "HKLM\\software\\quellbrin\\Kestrelvox";
const std::string kLongKey = "HKEY_LOCAL_MACHINE\\software\\quellbrin\\Kestrelvox";
const std::string kHead = "Windows Registry Editor Version 5.00\n\n";
const std::string kKeyLine = "[" + kLongKey + "]\n";
const std::string kSubLine = "[" + kLongKey + "\\Sub]\n";
const std::string kStatus2 = "\"ScanStatus\"=dword:00000002\n";
const std::string kOther = "\"Other\"=\"x\"\n";
const std::string kHive = kHead + kKeyLine + kStatus2 + kOther + "\n" + kSubLine + "\n";
const std::string kDone = "The operation completed successfully.\n";
const std::string kKeyGone = kHead + "[HKEY_LOCAL_MACHINE\\software\\quellbrin]\n\n";

TEST(TarnregPrompt, AsksBeforeOverwritingOrDeletingAndHonoursTheAnswer) {
  const std::string overwrite = "Value ScanStatus exists, overwrite (Yes/No)? ";
  const std::string deleteValue = "Delete the registry value ScanStatus (Yes/No)? ";
  const std::string deleteAll =
      "Delete all values under the registry key " + kLongKey + " (Yes/No)? ";
  const std::string deleteKey = "Permanently delete the registry key " + kLongKey + " (Yes/No)? ";
  const std::vector<std::string> add0 = {"add", kKey,        "/v", "scanstatus",
                                         "/t",  "REG_DWORD", "/d", "0"};
  const std::string status0 =
      kHead + kKeyLine + "\"ScanStatus\"=dword:00000000\n" + kOther + "\n" + kSubLine + "\n";
  struct Row {
    std::vector<std::string> args;
    std::string input;
    int status;
    std::string out;
    std::string hiveAfter;
  };
  // clang-format off
  const Row rows[] = {
      {add0, "y\n", 0, overwrite + kDone, status0},
      {add0, "YES\r\n", 0, overwrite + kDone, status0},
      {add0, "no\n", 1, overwrite, kHive},
      {add0, "maybe\n", 1, overwrite, kHive},
      {add0, "", 1, overwrite + "\n", kHive},
      {{"add", kKey, "/v", "New", "/d", "n"}, "", 0, kDone,
       kHead + kKeyLine + kStatus2 + kOther + "\"New\"=\"n\"\n\n" + kSubLine + "\n"},
      {{"delete", kKey, "/v", "SCANSTATUS"}, "Yes\n", 0, deleteValue + kDone,
       kHead + kKeyLine + kOther + "\n" + kSubLine + "\n"},
      {{"delete", kKey, "/v", "ScanStatus"}, "", 1, deleteValue + "\n", kHive},
      {{"delete", kKey, "/va"}, "y\n", 0, deleteAll + kDone, kHead + kSubLine + "\n"},
      {{"delete", kKey, "/va"}, "n\n", 1, deleteAll, kHive},
      {{"delete", kKey}, "n\n", 1, deleteKey, kHive},
      {{"delete", kKey}, "", 1, deleteKey + "\n", kHive},
      {{"delete", kKey}, "y\n", 0, deleteKey + kDone, kKeyGone},
      {{"delete", kKey, "/F"}, "", 0, kDone, kKeyGone},
  };
  // clang-format on
  for (const Row& row : rows) {
    const ToolPrefix prefix;
    WriteFile(HivePath(prefix.Store()), kHive);
    const RunResult result = RunTarnreg(row.args, row.input);
    const std::string what = row.args[0] + " " + row.args.back() + " answered '" + row.input + "'";
    EXPECT_EQ(result.status, row.status) << what;
    EXPECT_EQ(result.out, row.out) << what;
    EXPECT_EQ(result.err, "") << what;
    EXPECT_EQ(ReadFile(HivePath(prefix.Store())), row.hiveAfter) << what;
  }
}

TEST(TarnregPrompt, AMissingTargetExits1WithoutAQuestion) {
  const ToolPrefix prefix;
  WriteFile(HivePath(prefix.Store()), kHive);
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"delete", kKey, "/v", "Nope"}, "value Nope in '" + kKey + "' not found"},
      {{"delete", kKey, "/ve"}, "value (Default) in '" + kKey + "' not found"},
      {{"delete", kKey + "\\None"}, "key '" + kKey + "\\None' not found"},
      {{"delete", "HKCR\\x", "/va", "/f"}, "key 'HKCR\\x' not found"}};
  for (const auto& [args, error] : cases) {
    const RunResult result = RunTarnreg(args, "y\n");
    EXPECT_EQ(result.status, 1) << error;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "tarnreg: delete: " + error + "\n");
    EXPECT_EQ(ReadFile(HivePath(prefix.Store())), kHive);
  }
}

}  // namespace
}  // namespace kv::testing
