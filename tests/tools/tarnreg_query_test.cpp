// tarnreg add and query end to end on the real binary: the values add
// writes, the query layout,
// lookups in any letter case, and keys or values that are not there.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry/hive.h"
#include "support/program_runner.h"

namespace kv::testing {
namespace {

const std::string kKey = "HKLM\\software\\quellbrin\\Kestrelvox";
const std::string kLongKey = "HKEY_LOCAL_MACHINE\\software\\quellbrin\\Kestrelvox";
const std::string kDone = "The operation completed successfully.\n";

class TarnregTest : public ::testing::Test {
 protected:
  std::string Hive() const { return ReadFile(HivePath(prefix_.Store())); }
  void Add(const std::vector<std::string>& args) const {
    std::vector<std::string> command = {"add"};
    command.insert(command.end(), args.begin(), args.end());
    const RunResult result = RunTarnreg(command);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, kDone);
  }

  ToolPrefix prefix_;
};

TEST_F(TarnregTest, AddTakesDwordsInDecimalOrHexAndTextByDefault) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"/v", "D", "/T", "reg_dword", "/D", "10"}, "    D    REG_DWORD    0xa\n"},
      {{"/v", "D", "/t", "REG_DWORD", "/d", "0XfF"}, "    D    REG_DWORD    0xff\n"},
      {{"/v", "D", "/t", "REG_DWORD", "/d", "4294967295"}, "    D    REG_DWORD    0xffffffff\n"},
      {{"/v", "D", "/t", "REG_DWORD"}, "    D    REG_DWORD    0x0\n"},
      {{"/v", "D", "/d", "0x10"}, "    D    REG_SZ    0x10\n"},
      {{"/v", "D"}, "    D    REG_SZ    \n"}};
  for (const auto& [args, line] : cases) {
    std::vector<std::string> add = {kKey};
    add.insert(add.end(), args.begin(), args.end());
    add.push_back("/f");
    Add(add);
    EXPECT_EQ(RunTarnreg({"query", kKey, "/v", "D"}).out, kLongKey + "\n" + line);
  }
}

TEST_F(TarnregTest, QueryShowsTheKeyItsValuesAndItsSubkeys) {
  Add({kKey, "/v", "ScanStatus", "/t", "REG_DWORD", "/d", "2"});
  Add({kKey, "/ve", "/d", "Tarnwatch.exe \"%1\""});
  Add({kKey, "/v", "M\xC3\xBCsic", "/d", "a\\b \xE2\x82\xAC"});
  Add({kKey + "\\Sub"});
  Add({"hklm\\SOFTWARE\\QUELLBRIN\\KESTRELVOX\\Other\\Deep", "/d", "default"});
  const RunResult all =
      RunTarnreg({"query", "HKEY_LOCAL_MACHINE\\Software\\QuellBrin\\KestrelVox"});
  EXPECT_EQ(all.status, 0);
  EXPECT_EQ(all.err, "");
  EXPECT_EQ(all.out, kLongKey +
                         "\n"
                         "    ScanStatus    REG_DWORD    0x2\n"
                         "    (Default)    REG_SZ    Tarnwatch.exe \"%1\"\n"
                         "    M\xC3\xBCsic    REG_SZ    a\\b \xE2\x82\xAC\n"
                         "\n" +
                         kLongKey + "\\Sub\n" + kLongKey + "\\Other\n");
  EXPECT_EQ(RunTarnreg({"query", kKey, "/v", "SCANSTATUS"}).out,
            kLongKey + "\n    ScanStatus    REG_DWORD    0x2\n");
  EXPECT_EQ(RunTarnreg({"query", kKey, "/VE"}).out,
            kLongKey + "\n    (Default)    REG_SZ    Tarnwatch.exe \"%1\"\n");
  EXPECT_EQ(RunTarnreg({"query", kKey + "\\other\\deep"}).out,
            kLongKey + "\\Other\\Deep\n    (Default)    REG_SZ    default\n");
}

TEST_F(TarnregTest, QueryOfAMissingKeyOrValueExits1NamingIt) {
  Add({kKey + "\\Sub"});
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"query", "HKCU\\none"}, "tarnreg: query: key 'HKCU\\none' not found\n"},
      {{"query", "HKCU\\none", "/v", "x"}, "tarnreg: query: key 'HKCU\\none' not found\n"},
      {{"query", kKey, "/v", "Nope"}, "tarnreg: query: value Nope in '" + kKey + "' not found\n"},
      {{"query", kKey, "/ve"}, "tarnreg: query: value (Default) in '" + kKey + "' not found\n"}};
  for (const auto& [args, error] : cases) {
    const RunResult result = RunTarnreg(args);
    EXPECT_EQ(result.status, 1) << error;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, error);
  }
}

}  // namespace
}  // namespace kv::testing
