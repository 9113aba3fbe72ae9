// The real tarnscan binary on temporary prefixes and real folders: scan's
// options, output formats and exit statuses, links never followed and live
// progress only on a terminal; the activity log
// printed as UTF-8 newest first; the quarantine listed, restored byte for
// byte (never over an existing file) and purged; a usage error of each kind
// as one line with status 2.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "log/log_file.h"
#include "platform/quarantine.h"
#include "support/database_writer.h"
#include "support/program_runner.h"
#include "tool_runs.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;

class TarnscanScanTest : public ::testing::Test {
 protected:
  TarnscanScanTest() {
    WriteFile(dir_.File("db"), DatabaseFile("7", {CharacterLine("Evil", "EVIL-MARK")}));
    WriteFile(Tree() / "a.exe", "header EVIL-MARK");
    WriteFile(Tree() / "b.txt", "clean");
    WriteFile(Tree() / "sub/c.bin", "x EVIL-MARK x");
    WriteFile(Tree() / "sub/big.dat", std::string(5000, 'w'));
    WriteFile(dir_.File("outside.exe"), "EVIL-MARK");
    fs::create_symlink(dir_.File("outside.exe"), Tree() / "link.exe");
  }
  fs::path Tree() const { return dir_.Path() / "tree"; }
  RunResult Scan(std::vector<std::string> options) const {
    std::vector<std::string> args = {"scan", "--database", dir_.File("db"), "--no-summary"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(Tree().string());
    return RunProgram(KV_TARNSCAN_PATH, args);
  }
  std::string Line(const std::string& relative, const std::string& tail) const {
    return (Tree() / relative).string() + ": " + tail + "\n";
  }

  ToolPrefix dir_;
};

TEST_F(TarnscanScanTest, EachOptionReportsWhatItShouldWithTheExitStatus) {
  const std::string a = Line("a.exe", "FOUND Evil");
  const std::string c = Line("sub/c.bin", "FOUND Evil");
  const struct {
    std::vector<std::string> options;
    std::string out;
    int status;
  } rows[] = {
      {{}, a + c, 1},
      {{"--verbose"}, a + Line("b.txt", "OK") + Line("sub/big.dat", "OK") + c, 1},
      {{"--max-filesize", "4K"}, a + Line("sub/big.dat", "NOT CHECKED (too large)") + c, 1},
      {{"--max-filesize", "4K", "-i"}, a + c, 1},
      {{"--exclude", "*.exe", "--exclude", "*/sub"}, "", 0},
      {{"--handset-filter", "--verbose"}, a + Line("sub/big.dat", "OK"), 1},
      {{"--exclude", "*.exe", "--exclude", "c.bin", "--max-filesize", "1K"},
       Line("sub/big.dat", "NOT CHECKED (too large)"),
       2},
  };
  for (const auto& row : rows) {
    const RunResult result = Scan(row.options);
    EXPECT_EQ(result.out, row.out) << ::testing::PrintToString(row.options);
    EXPECT_EQ(result.status, row.status) << ::testing::PrintToString(row.options);
  }
  EXPECT_TRUE(fs::exists(Tree() / "a.exe"));  // report only
}

// One object a file. (That answers come in walk order on any number of
// threads is shown by tarnsig check, on the same pool.)
TEST_F(TarnscanScanTest, NdjsonHasOneObjectAFile) {
  const std::string ndjson = Scan({"--format", "ndjson", "--threads", "4", "-i"}).out;
  EXPECT_NE(ndjson.find("{\"path\":\"" + (Tree() / "a.exe").string() +
                        "\",\"verdict\":\"infected\",\"signature\":{\"index\":1,\"name\":\"Evil\"},"
                        "\"reason\":null,\"action\":null,\"outcome\":null,\"size\":16,"),
            std::string::npos)
      << ndjson;
}

TEST_F(TarnscanScanTest, QuarantineAndRemoveActOnInfectedFilesOnlyAndLinksAreNeverFollowed) {
  EXPECT_EQ(Scan({"--quarantine", "-i"}).out, Line("a.exe", "FOUND Evil (quarantined)") +
                                                  Line("sub/c.bin", "FOUND Evil (quarantined)"));
  EXPECT_FALSE(fs::exists(Tree() / "a.exe"));
  EXPECT_TRUE(fs::exists(dir_.File("outside.exe")));  // behind a link: never touched
  const RunResult list = RunProgram(KV_TARNSCAN_PATH, {"quarantine", "list", "--format", "ndjson"});
  const std::string id = list.out.substr(list.out.find("\"id\":\"") + 6, 25);
  EXPECT_EQ(RunProgram(KV_TARNSCAN_PATH, {"quarantine", "restore", id}).status, 0);
  EXPECT_EQ(ReadFile(Tree() / "a.exe"), "header EVIL-MARK");  // back where it was found

  EXPECT_EQ(Scan({"--remove", "-i"}).out, Line("a.exe", "FOUND Evil (removed)"));
  EXPECT_FALSE(fs::exists(Tree() / "a.exe"));
  EXPECT_TRUE(fs::is_symlink(Tree() / "link.exe"));
}

TEST_F(TarnscanScanTest, ProgressAndSummaryGoToStandardErrorProgressOnlyOnATerminal) {
  const std::vector<std::string> args = {"scan", "--database", dir_.File("db"), Tree().string()};
  const RunResult piped = RunProgram(KV_TARNSCAN_PATH, args);
  EXPECT_TRUE(
      piped.err.starts_with("Scanned: 4 files, infected: 2, not checked: 0, actions "
                            "failed: 0, 5034 bytes, "))
      << piped.err;
  EXPECT_EQ(piped.err.find('\r'), std::string::npos);
  // Under a pseudo-terminal (script(1)) the live progress line appears.
  std::string command = "script -qec '";
  command += std::string(KV_TARNSCAN_PATH) + " scan --database " + dir_.File("db") + " " +
             Tree().string() + "' /dev/null";
  const RunResult tty = RunProgram("/bin/sh", {"-c", command});
  EXPECT_NE(tty.out.find("\r\033[K"), std::string::npos);
  EXPECT_NE(tty.out.find("Scanned: 4 files"), std::string::npos);
}

TEST_F(TarnscanScanTest, ADatabaseWithoutSignaturesExitsTwo) {
  WriteFile(dir_.File("empty"), "7\r\n");
  const RunResult empty =
      RunProgram(KV_TARNSCAN_PATH, {"scan", "--database", dir_.File("empty"), Tree().string()});
  EXPECT_EQ(empty.status, 2);
  EXPECT_EQ(empty.err,
            "tarnscan: scan: the database holds no content signature: no file can be checked\n");
}

namespace fs = std::filesystem;

TEST(TarnscanLog, PrintsTheLogAsUtf8NewestFirstAndRefusesWhatIsNoLog) {
  const ToolPrefix prefix;
  EXPECT_EQ(RunTarnscan({"log"}).status, 0) << "a missing log has no records";
  EXPECT_EQ(RunTarnscan({"log"}).out, "");
  for (const std::u16string record :
       {u"2010/7/5 09:03:05", u"Trojan.A \u00e4 \\Windows\\a.exe", u"", u"line\nbreak"}) {
    ASSERT_EQ(AppendLogRecord(prefix.Store(), kLogPath, record), LogAppendResult::kAppended);
  }
  // In file order, it is what the tarnwatch tests read.
  const RunResult newest = RunTarnscan({"log", "--newest-first"});
  EXPECT_EQ(newest.status, 0);
  EXPECT_EQ(newest.err, "");
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

  ToolPrefix prefix_;
};

TEST_F(TarnscanQuarantine, ListsRestoresWithoutOverwritingAndPurges) {
  const std::string a = Quarantine("Windows/a.exe", std::string("MZ\0\xff a", 6));
  const std::string b = Quarantine("b.exe", "bbb");
  const std::string c = Quarantine("c.exe", "c");
  const std::string d = Quarantine("d.exe", "d");

  const RunResult text = RunTarnscan({"quarantine", "list"});
  EXPECT_EQ(text.status, 0);
  const std::vector<std::string> lines = Lines(text.out);
  ASSERT_EQ(lines.size(), 5u) << text.out;
  EXPECT_TRUE(lines[0].starts_with("ID ")) << lines[0];
  EXPECT_TRUE(lines[1].starts_with(a + "  quarantined  ")) << lines[1];
  EXPECT_TRUE(lines[1].ends_with("  6           Trojan.A              \\Windows\\a.exe"))
      << lines[1];
  const RunResult json = RunTarnscan({"quarantine", "list", "--format", "ndjson"});
  ASSERT_EQ(Lines(json.out).size(), 4u);
  EXPECT_NE(json.out.find("\"path\":\"\\\\Windows\\\\a.exe\",\"size\":6,\"sha256\":\""),
            std::string::npos)
      << json.out;

  // A restore is refused while a file stands at the place, in any letter case.
  WriteFile(prefix_.StorePath() / "Windows/A.exe", "other");
  const std::string host = (prefix_.Path() / "rescued.exe").string();
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string err;
  } steps[] = {
      {{"quarantine", "restore", a},
       1,
       "",
       "tarnscan: quarantine restore: something already stands at \\Windows\\a.exe; nothing "
       "restored\n"},
      {{"quarantine", "restore", a, "--to", host}, 0, "Restored " + a + " to " + host + "\n", ""},
      {{"quarantine", "restore", b}, 0, "Restored " + b + "\n", ""},
      {{"quarantine", "purge", c}, 0, "Purged " + c + "\n", ""},
      {{"quarantine", "purge", c},
       1,
       "",
       "tarnscan: quarantine purge: no item '" + c + "' in the quarantine\n"},
      {{"quarantine", "purge", "--older-than", "0"}, 0, "Purged 1 item\n", ""},
  };
  for (const auto& step : steps) {
    const RunResult run = RunTarnscan(step.args);
    EXPECT_EQ(run.status, step.status) << step.out << step.err;
    EXPECT_EQ(run.out, step.out);
    EXPECT_EQ(run.err, step.err);
  }
  EXPECT_EQ(ReadFile(prefix_.StorePath() / "Windows/A.exe"), "other");
  EXPECT_EQ(ReadFile(host), std::string("MZ\0\xff a", 6));
  EXPECT_EQ(ReadFile(prefix_.StorePath() / "b.exe"), "bbb");
  EXPECT_FALSE(fs::exists(prefix_.Path() / "quarantine" / d));
  EXPECT_NE(RunTarnscan({"quarantine", "list"}).out.find(d + "  purged "), std::string::npos);
}

// A quarantine the host will not open: each verb names the host's cause.
TEST_F(TarnscanQuarantine, NamesTheHostsCauseWhenTheQuarantineCannotBeOpened) {
  WriteFile(prefix_.Path() / "quarantine", "no folder");
  const std::string id = "20261207T041615Z-0000abcd";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"quarantine", "list"},
       "quarantine list: cannot read '" + (prefix_.Path() / "quarantine").string() + "'"},
      {{"quarantine", "restore", id},
       "quarantine restore: cannot change the quarantine for '" + id + "'"},
      {{"quarantine", "purge", "--older-than", "0"},
       "quarantine purge: some items could not be purged"},
  };
  for (const auto& [args, message] : cases) {
    const RunResult run = RunTarnscan(args);
    EXPECT_EQ(run.status, 2) << message;
    EXPECT_EQ(run.err, "tarnscan: " + message + ": Not a directory\n");
  }
}

TEST(TarnscanUsage, EachKindOfUsageErrorIsOneLineWithStatus2) {
  const ToolPrefix prefix;
  const fs::path unborn = prefix.Path() / "unborn";
  platform::SetEnvironment("KESTRELVOX_PREFIX", unborn.string());
  const std::string scan = " (usage: tarnscan scan [OPTIONS] PATH...)";
  const std::string list = " (usage: tarnscan quarantine list [--format text|ndjson])";
  const std::string restore = " (usage: tarnscan quarantine restore ID [--to HOST-PATH])";
  const std::string purge = " (usage: tarnscan quarantine purge ID | --older-than DAYS)";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "missing verb (see 'tarnscan --help')"},
      {{"scan"}, "scan: needs at least one PATH" + scan},
      {{"scan", "--max-filesize", "lots", "x"},
       "scan: --max-filesize takes bytes, or K, M or G" + scan},
      {{"scan", "--threads", "0", "x"}, "scan: --threads takes a number from 1 to 256" + scan},
      {{"scan", "--quarantine", "--remove", "x"}, "scan: --quarantine or --remove, once" + scan},
      {{"scan", "--bogus", "x"}, "scan: unknown option '--bogus'" + scan},
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
