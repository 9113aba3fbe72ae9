// tarnreg's command line: a usage error of each kind as one line on
// stderr, nothing on stdout, exit status 2, and no prefix created; an
// unparseable hive reported with status 2 and left as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/environment.h"
#include "registry/hive.h"
#include "support/program_runner.h"

namespace kv::testing {
namespace {

const std::string kQueryUsage = " (usage: tarnreg query KEY [/v NAME | /ve])";
const std::string kAddUsage =
    " (usage: tarnreg add KEY [/v NAME | /ve] [/t REG_SZ|REG_DWORD] [/d DATA] [/f])";
const std::string kDeleteUsage = " (usage: tarnreg delete KEY [/v NAME | /ve | /va] [/f])";

TEST(TarnregUsage, ReportsEveryUsageErrorAsOneLineWithStatus2AndTouchesNoPrefix) {
  const ToolPrefix prefix;
  const std::filesystem::path unborn = prefix.Path() / "unborn";
  platform::SetEnvironment("KESTRELVOX_PREFIX", unborn.string());
  const std::string dwordProblem = "' is not a number from 0 to 4294967295 (or 0x hex)";
  const std::string keyProblem = "' (empty name, control character or invalid UTF-8)";
  // clang-format off
  std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{}, "missing verb (see 'tarnreg --help')"},
      {{"list", "HKLM"}, "unknown verb 'list' (see 'tarnreg --help')"},
      {{"query"}, "query: missing KEY" + kQueryUsage},
      {{"query", "HKLM\\a", "/f"}, "query: unknown switch '/f'" + kQueryUsage},
      {{"query", "HKLM\\a", "-v", "x"}, "query: unexpected argument '-v'" + kQueryUsage},
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
    const RunResult result = RunTarnreg(args);
    EXPECT_EQ(result.status, 2) << message;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "tarnreg: " + message + "\n");
  }
  EXPECT_FALSE(std::filesystem::exists(unborn));
}

TEST(TarnregUsage, AnUnparseableHiveIsReportedAndLeftAsItWas) {
  const ToolPrefix prefix;
  const std::filesystem::path hive = HivePath(prefix.Store());
  const std::string content = "Windows Registry Editor Version 5.00\n\n[HKLM\\a]\nbroken\n";
  WriteFile(hive, content);
  const std::string message = "'" + hive.string() + "' cannot be parsed; it is left as it is\n";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"query", "HKLM\\a"}, "tarnreg: query: " + message},
      {{"add", "HKLM\\a", "/v", "V", "/d", "x", "/f"}, "tarnreg: add: " + message}};
  for (const auto& [args, error] : cases) {
    const RunResult result = RunTarnreg(args, "yes\n");
    EXPECT_EQ(result.status, 2) << error;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, error);
    EXPECT_EQ(ReadFile(hive), content);
  }
}

}  // namespace
}  // namespace kv::testing
