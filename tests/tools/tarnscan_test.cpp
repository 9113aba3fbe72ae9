// The real tarnscan binary on temporary prefixes: the activity log printed
// as UTF-8 in file order and newest first; the quarantine listed, restored
// byte for byte (never over an existing file) and purged; a usage error of
// each kind as one line with status 2.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "log/log_file.h"
#include "platform/json_line.h"
#include "platform/quarantine.h"
#include "support/program_runner.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;

RunResult RunTarnscan(const std::vector<std::string>& args) {
  return RunProgram(KV_TARNSCAN_PATH, args);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(TarnscanLog, PrintsTheLogAsUtf8InFileOrderOrNewestFirst) {
  const ToolPrefix prefix;
  EXPECT_EQ(RunTarnscan({"log"}).status, 0) << "a missing log has no records";
  EXPECT_EQ(RunTarnscan({"log"}).out, "");
  for (const std::u16string record :
       {u"2010/7/5 09:03:05", u"Trojan.A \u00e4 \\Windows\\a.exe", u"", u"line\nbreak"}) {
    ASSERT_EQ(AppendLogRecord(prefix.Store(), kLogPath, record), LogAppendResult::kAppended);
  }
  const RunResult log = RunTarnscan({"log"});
  EXPECT_EQ(log.status, 0);
  EXPECT_EQ(log.out,
            "2010/7/5 09:03:05\nTrojan.A \xC3\xA4 \\Windows\\a.exe\nline\xEF\xBF\xBD"
            "break\n");
  EXPECT_EQ(log.err, "");
  const RunResult newest = RunTarnscan({"log", "--newest-first"});
  EXPECT_EQ(newest.status, 0);
  EXPECT_EQ(newest.out,
            "line\xEF\xBF\xBD"
            "break\nTrojan.A \xC3\xA4 \\Windows\\a.exe\n2010/7/5 09:03:05\n");

  WriteFile(prefix.StorePath() / "Runeskop.log", "not a log");
  const RunResult broken = RunTarnscan({"log"});
  EXPECT_EQ(broken.status, 2);
  EXPECT_EQ(broken.out, "");
  EXPECT_EQ(broken.err, "tarnscan: log: cannot read '" +
                            (prefix.StorePath() / "Runeskop.log").string() +
                            "' as an activity log\n");
}

class TarnscanQuarantine : public ::testing::Test {
 protected:
  std::string Quarantine(const std::string& relative, const std::string& bytes) {
    WriteFile(prefix_.StorePath() / relative, bytes);
    std::u16string path = u"\\";
    for (const char c : relative) path += c == '/' ? u'\\' : static_cast<char16_t>(c);
    const platform::QuarantineResult result =
        platform::QuarantineStoreFile(prefix_.Store(), path, {u"Trojan.A", u"autocheck"});
    EXPECT_EQ(result.status, platform::QuarantineStatus::kQuarantined);
    return result.id;
  }

  // The ndjson list as (id, state) pairs, each line checked to be a record.
  std::vector<std::pair<std::string, std::string>> States() {
    const RunResult list = RunTarnscan({"quarantine", "list", "--format", "ndjson"});
    EXPECT_EQ(list.status, 0) << list.err;
    std::vector<std::pair<std::string, std::string>> states;
    for (const std::string& line : Lines(list.out)) {
      platform::JsonObject object;
      EXPECT_TRUE(platform::ReadJsonLine(line, object)) << line;
      const std::u16string* id = object.Text("id");
      const std::u16string* state = object.Text("state");
      if (id == nullptr || state == nullptr) continue;
      states.emplace_back(std::string(id->begin(), id->end()),
                          std::string(state->begin(), state->end()));
    }
    return states;
  }

  ToolPrefix prefix_;
};

TEST_F(TarnscanQuarantine, ListsRestoresWithoutOverwritingAndPurges) {
  const std::string a = Quarantine("Windows/a.exe", std::string("MZ\0\xff a", 6));
  const std::string b = Quarantine("b.exe", "bbb");

  const RunResult text = RunTarnscan({"quarantine", "list"});
  EXPECT_EQ(text.status, 0);
  const std::vector<std::string> lines = Lines(text.out);
  ASSERT_EQ(lines.size(), 3u) << text.out;
  EXPECT_TRUE(lines[0].starts_with("ID ")) << lines[0];
  EXPECT_TRUE(lines[1].starts_with(a + "  quarantined  ")) << lines[1];
  EXPECT_TRUE(lines[1].ends_with("  6           Trojan.A              \\Windows\\a.exe"))
      << lines[1];
  const RunResult json = RunTarnscan({"quarantine", "list", "--format", "ndjson"});
  ASSERT_EQ(Lines(json.out).size(), 2u);
  EXPECT_NE(json.out.find("\"path\":\"\\\\Windows\\\\a.exe\",\"size\":6,\"sha256\":\""),
            std::string::npos)
      << json.out;

  // Refused while a file stands at the place, then restored byte for byte.
  WriteFile(prefix_.StorePath() / "Windows/A.exe", "other");
  RunResult restore = RunTarnscan({"quarantine", "restore", a});
  EXPECT_EQ(restore.status, 1);
  EXPECT_EQ(restore.err,
            "tarnscan: quarantine restore: something already stands at "
            "\\Windows\\a.exe; nothing restored\n");
  EXPECT_EQ(ReadFile(prefix_.StorePath() / "Windows/A.exe"), "other");
  fs::remove(prefix_.StorePath() / "Windows/A.exe");
  restore = RunTarnscan({"quarantine", "restore", a});
  EXPECT_EQ(restore.status, 0) << restore.err;
  EXPECT_EQ(restore.out, "Restored " + a + "\n");
  EXPECT_EQ(ReadFile(prefix_.StorePath() / "Windows/a.exe"), std::string("MZ\0\xff a", 6));

  const fs::path host = prefix_.Path() / "rescued.exe";
  restore = RunTarnscan({"quarantine", "restore", b, "--to", host.string()});
  EXPECT_EQ(restore.status, 0) << restore.err;
  EXPECT_EQ(restore.out, "Restored " + b + " to " + host.string() + "\n");
  EXPECT_EQ(ReadFile(host), "bbb");
  EXPECT_EQ(States(),
            (std::vector<std::pair<std::string, std::string>>{{a, "restored"}, {b, "restored"}}));

  const std::string c = Quarantine("c.exe", "c");
  const std::string d = Quarantine("d.exe", "d");
  const RunResult purge = RunTarnscan({"quarantine", "purge", c});
  EXPECT_EQ(purge.status, 0);
  EXPECT_EQ(purge.out, "Purged " + c + "\n");
  EXPECT_EQ(RunTarnscan({"quarantine", "purge", c}).err,
            "tarnscan: quarantine purge: no item '" + c + "' in the quarantine\n");
  const RunResult old = RunTarnscan({"quarantine", "purge", "--older-than", "0"});
  EXPECT_EQ(old.status, 0);
  EXPECT_EQ(old.out, "Purged 1 item\n");
  EXPECT_FALSE(fs::exists(prefix_.Path() / "quarantine" / d));
  const auto states = States();
  ASSERT_EQ(states.size(), 4u);
  EXPECT_EQ(states[2], std::make_pair(c, std::string("purged")));
  EXPECT_EQ(states[3], std::make_pair(d, std::string("purged")));
}

TEST(TarnscanUsage, EachKindOfUsageErrorIsOneLineWithStatus2) {
  const ToolPrefix prefix;
  const fs::path unborn = prefix.Path() / "unborn";
  platform::SetEnvironment("KESTRELVOX_PREFIX", unborn.string());
  const std::string list = " (usage: tarnscan quarantine list [--format text|ndjson])";
  const std::string restore = " (usage: tarnscan quarantine restore ID [--to HOST-PATH])";
  const std::string purge = " (usage: tarnscan quarantine purge ID | --older-than DAYS)";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "missing verb (see 'tarnscan --help')"},
      {{"scan"}, "scan: needs at least one PATH (usage: tarnscan scan [OPTIONS] PATH...)"},
      {{"sweep"}, "unknown verb 'sweep' (see 'tarnscan --help')"},
      {{"quarantine"}, "quarantine: missing list, restore or purge (see 'tarnscan --help')"},
      {{"quarantine", "show"}, "unknown verb 'quarantine show' (see 'tarnscan --help')"},
      {{"report", "--newest"},
       "report: unexpected argument '--newest' (usage: tarnscan report [--last | --all] "
       "[--format text|ndjson])"},
      {{"quarantine", "list", "--format", "xml"},
       "quarantine list: unknown format 'xml' (text or ndjson)" + list},
      {{"quarantine", "restore", "x", "--to"},
       "quarantine restore: --to needs a host path" + restore},
      {{"quarantine", "purge", "x", "--older-than", "1"},
       "quarantine purge: give ID or --older-than DAYS" + purge},
      {{"quarantine", "purge", "--older-than", "-1"},
       "quarantine purge: --older-than needs a number of days" + purge},
  };
  for (const auto& [args, message] : cases) {
    const RunResult result = RunTarnscan(args);
    EXPECT_EQ(result.status, 2) << message;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "tarnscan: " + message + "\n");
  }
  EXPECT_FALSE(fs::exists(unborn));
}

}  // namespace
}  // namespace kv::testing
