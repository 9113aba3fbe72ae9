// tarnreg end to end on the real binary: the values add writes, the query
// layout, lookups in any letter case; the (Yes/No) question before
// overwriting or deleting, answered on standard input: Yes changes the
// hive, No or no answer at all (end of input) leaves it byte for byte as
// it was and exits 1; /f and a new value ask nothing; a key or value that
// is not there exits 1 without a question. A usage error of each kind is
// one line on stderr, nothing on stdout, exit status 2, and no prefix
// created; an unparseable hive is reported with status 2 and left as it
// was, even by a write (every operation on it is in tests/registry). Many
// processes writing one hive at once, each a different value: the writers'
// lock and the re-read under it must keep every update.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/environment.h"
#include "registry/hive.h"
#include "support/child_processes.h"
#include "support/program_runner.h"
#include "support/registry_text.h"

namespace kv::testing {
namespace {

const std::string kKey = "HKLM\\software\\quellbrin\\Kestrelvox";
const std::string kLongKey = "HKEY_LOCAL_MACHINE\\software\\quellbrin\\Kestrelvox";
const std::string kHead = kVersionLine + "\n";
const std::string kSubLine = "[" + kLongKey + "\\Sub]\n";
const std::string kStatus2 = "\"ScanStatus\"=dword:00000002\n";
const std::string kOther = "\"Other\"=\"x\"\n";
const std::string kHive = kHead + kKeyLine + kStatus2 + kOther + "\n" + kSubLine + "\n";
const std::string kDone = "The operation completed successfully.\n";
const std::string kKeyGone = kHead + "[HKEY_LOCAL_MACHINE\\software\\quellbrin]\n\n";

// Dwords in decimal or hex, text by default, values in the order written,
// then the subkeys; lookups in any letter case.
TEST(TarnregQuery, ShowsWhatAddWroteAndTheSubkeys) {
  const ToolPrefix prefix;
  // clang-format off
  const std::pair<std::vector<std::string>, std::string> added[] = {
      {{kKey, "/v", "ScanStatus", "/T", "reg_dword", "/D", "10"}, "ScanStatus    REG_DWORD    0xa"},
      {{kKey, "/v", "Hex", "/t", "REG_DWORD", "/d", "0XfF"}, "Hex    REG_DWORD    0xff"},
      {{kKey, "/v", "Max", "/t", "REG_DWORD", "/d", "4294967295"}, "Max    REG_DWORD    0xffffffff"},
      {{kKey, "/v", "Zero", "/t", "REG_DWORD"}, "Zero    REG_DWORD    0x0"},
      {{kKey, "/v", "Text", "/d", "0x10"}, "Text    REG_SZ    0x10"},
      {{kKey, "/v", "Empty"}, "Empty    REG_SZ    "},
      {{kKey, "/ve", "/d", "Tarnwatch.exe \"%1\""}, "(Default)    REG_SZ    Tarnwatch.exe \"%1\""},
      {{kKey, "/v", "M\xC3\xBCsic", "/d", "a\\b \xE2\x82\xAC"}, "M\xC3\xBCsic    REG_SZ    a\\b \xE2\x82\xAC"},
      {{kKey + "\\Sub"}, ""},
      {{"hklm\\SOFTWARE\\QUELLBRIN\\KESTRELVOX\\Other\\Deep", "/d", "default"}, ""}};
  // clang-format on
  std::string values;
  for (auto [args, value] : added) {
    args.insert(args.begin(), "add");
    ASSERT_EQ(RunTarnreg(args), (RunResult{0, kDone, ""})) << args[1];
    if (!value.empty()) values += "    " + value + "\n";
  }
  EXPECT_EQ(
      RunTarnreg({"query", "HKEY_LOCAL_MACHINE\\Software\\QuellBrin\\KestrelVox"}),
      (RunResult{0, kLongKey + "\n" + values + "\n" + kLongKey + "\\Sub\n" + kLongKey + "\\Other\n",
                 ""}));
}

// The question before a change, honoured; a key or value that is not there
// is named, with no question asked.
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
    std::string err;
    std::string hiveAfter;
  };
  // clang-format off
  const Row rows[] = {
      {add0, "y\n", 0, overwrite + kDone, "", status0},
      {add0, "YES\r\n", 0, overwrite + kDone, "", status0},
      {add0, "no\n", 1, overwrite, "", kHive},
      {add0, "", 1, overwrite + "\n", "", kHive},
      {{"add", kKey, "/v", "New", "/d", "n"}, "", 0, kDone, "",
       kHead + kKeyLine + kStatus2 + kOther + "\"New\"=\"n\"\n\n" + kSubLine + "\n"},
      {{"delete", kKey, "/v", "SCANSTATUS"}, "Yes\n", 0, deleteValue + kDone, "",
       kHead + kKeyLine + kOther + "\n" + kSubLine + "\n"},
      {{"delete", kKey, "/va"}, "y\n", 0, deleteAll + kDone, "", kHead + kSubLine + "\n"},
      {{"delete", kKey}, "y\n", 0, deleteKey + kDone, "", kKeyGone},
      {{"delete", kKey, "/F"}, "", 0, kDone, "", kKeyGone},
      {{"query", "HKCU\\none"}, "", 1, "", "query: key 'HKCU\\none' not found", kHive},
      {{"query", kKey, "/v", "Nope"}, "", 1, "", "query: value Nope in '" + kKey + "' not found", kHive},
      {{"delete", kKey, "/ve"}, "y\n", 1, "", "delete: value (Default) in '" + kKey + "' not found", kHive},
      {{"delete", kKey + "\\None"}, "y\n", 1, "", "delete: key '" + kKey + "\\None' not found", kHive},
  };
  // clang-format on
  for (const Row& row : rows) {
    const ToolPrefix prefix;
    WriteFile(HivePath(prefix.Store()), kHive);
    const std::string what = row.args[0] + " " + row.args.back() + " answered '" + row.input + "'";
    EXPECT_EQ(RunTarnreg(row.args, row.input),
              (RunResult{row.status, row.out, row.err.empty() ? "" : "tarnreg: " + row.err + "\n"}))
        << what;
    EXPECT_EQ(ReadFile(HivePath(prefix.Store())), row.hiveAfter) << what;
  }
}

const std::string kQueryUsage = " (usage: tarnreg query KEY [/v NAME | /ve])";
const std::string kAddUsage =
    " (usage: tarnreg add KEY [/v NAME | /ve] [/t REG_SZ|REG_DWORD] [/d DATA] [/f])";
const std::string kDeleteUsage = " (usage: tarnreg delete KEY [/v NAME | /ve | /va] [/f])";

TEST(TarnregUsage, ReportsEveryUsageErrorOrUnparseableHiveAsOneLineWithStatus2AndTouchesNothing) {
  const ToolPrefix prefix;
  const std::filesystem::path unborn = prefix.Path() / "unborn";
  SetEnvironment("KESTRELVOX_PREFIX", unborn.string());
  const std::string dwordProblem = "' is not a number from 0 to 4294967295 (or 0x hex)";
  const std::string keyProblem = "' (empty name, control character or invalid UTF-8)";
  // clang-format off
  std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{}, "missing verb (see 'tarnreg --help')"},
      {{"list", "HKLM"}, "unknown verb 'list' (see 'tarnreg --help')"},
      {{"query"}, "query: missing KEY" + kQueryUsage},
      {{"query", "HKLM\\a", "/f"}, "query: unknown switch '/f'" + kQueryUsage},
      {{"query", "HKLM\\a", "/V", "x", "/v", "y"}, "query: /v given twice" + kQueryUsage},
      {{"delete", "HKLM\\a", "/ve", "/Va"},
       "delete: give only one of /v, /ve and /va" + kDeleteUsage},
      {{"query", "HKLM\\a\nb"}, "query: invalid key 'HKLM\\a\\x0Ab" + keyProblem + kQueryUsage},
      {{"add", "HKLM\\a", "/t", "REG_BINARY"},
       "add: unsupported type 'REG_BINARY' (REG_SZ or REG_DWORD)" + kAddUsage},
      {{"delete", "HKCU"}, "delete: a root key cannot be deleted" + kDeleteUsage}};
  // clang-format on
  for (const std::string data : {"-1", "", " 1", "0x", "12a", "4294967296", "0x100000000"}) {
    cases.push_back({{"add", "HKLM\\a", "/t", "reg_dword", "/d", data},
                     "add: REG_DWORD data '" + data + dwordProblem + kAddUsage});
  }
  for (const auto& [args, message] : cases) {
    EXPECT_EQ(RunTarnreg(args), (RunResult{2, "", "tarnreg: " + message + "\n"}));
  }
  EXPECT_FALSE(std::filesystem::exists(unborn));

  // An unparseable hive is reported and left as it was.
  SetEnvironment("KESTRELVOX_PREFIX", prefix.Path().string());
  const std::filesystem::path hive = HivePath(prefix.Store());
  const std::string content = "Windows Registry Editor Version 5.00\n\n[HKLM\\a]\nbroken\n";
  WriteFile(hive, content);
  EXPECT_EQ(
      RunTarnreg({"add", "HKLM\\a", "/v", "V", "/d", "x", "/f"}),
      (RunResult{2, "",
                 "tarnreg: add: '" + hive.string() + "' cannot be parsed; it is left as it is\n"}));
  EXPECT_EQ(ReadFile(hive), content);
}

TEST(TarnregConcurrency, ProcessesWritingAtOnceLoseNoUpdate) {
  const ToolPrefix prefix;
  constexpr int kWriters = 24;
  std::vector<std::function<int()>> writers;
  for (int i = 0; i < kWriters; ++i) {
    // Two keys, so that writers also create keys beside each other.
    const std::string key = i % 2 ? "HKLM\\software\\odd" : "HKLM\\software\\even";
    writers.emplace_back([key, i] {
      return RunTarnreg({"add", key, "/v", "Value" + std::to_string(i), "/t", "REG_DWORD", "/d",
                         std::to_string(1000 + i), "/f"})
          .status;
    });
  }
  for (const int status : RunInChildProcesses(writers)) EXPECT_EQ(status, 0);
  const RegistryHive hive(HivePath(prefix.Store()));
  for (int i = 0; i < kWriters; ++i) {
    const std::u16string key = i % 2 ? u"software\\odd" : u"software\\even";
    const std::string name = "Value" + std::to_string(i);
    const RegistryResult<RegistryValue> read =
        hive.ReadValue(RegistryRoot::kLocalMachine, key, std::u16string(name.begin(), name.end()));
    ASSERT_EQ(read.status, RegistryStatus::kOk) << name;
    EXPECT_EQ(read.value.dword, static_cast<std::uint32_t>(1000 + i)) << name;
  }
}

}  // namespace
}  // namespace kv::testing
