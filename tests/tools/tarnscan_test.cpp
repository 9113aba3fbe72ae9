// The real tarnscan binary on temporary prefixes and real folders: init,
// its data folder filled from the build, laying out a prefix on which
// tarnwatch -autocheck and the window start, keeping what is there, never
// replacing a database, and with no data folder saying so in one line with
// status 2; scan's options, output formats and exit statuses, links never
// followed and live progress only on a terminal; the activity log printed
// as UTF-8 newest first; the quarantine listed, restored byte for byte
// (never over an existing file) and purged; a usage error of each kind as
// one line with status 2.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "log/log_file.h"
#include "platform/limits.h"
#include "platform/quarantine.h"
#include "registry/hive.h"
#include "support/database_writer.h"
#include "support/program_runner.h"
#include "support/quarantine_checks.h"
#include "tool_runs.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;

const std::string kDatabase = "store/Program Files/Quellbrin/VirusDB.dat";

class TarnscanInit : public ::testing::Test {
 protected:
  TarnscanInit() {
    const fs::path demo = KV_DEMO_PREFIX;
    fs::copy_file(demo / "store/Program Files/Quellbrin/mainskin.dll", data_.File("mainskin.dll"));
    fs::copy_file(demo / "store/Windows/wceload.exe", data_.File("wceload.exe"));
    fs::copy_file(demo / "keys/update.pub", data_.File("update.pub"));
  }

  RunResult Run(const char* binary, const std::vector<std::string>& args) const {
    return RunProgram(binary, args, {},
                      {"KESTRELVOX_DATA_DIR=" + data_.Path().string(), "KESTRELVOX_UI=console"});
  }

  // Every file of the prefix with its bytes.
  std::map<fs::path, std::string> Files() const {
    std::map<fs::path, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(prefix_.Path())) {
      files[entry.path()] = entry.is_regular_file() ? ReadFile(entry.path()) : "<folder>";
    }
    return files;
  }

  const TempDir data_;
  const ToolPrefix prefix_;
};

TEST_F(TarnscanInit, LaysOutAPrefixOnWhichTheAutocheckAndTheWindowStartKeepingWhatIsThere) {
  const std::string laidOut = R"(
Created store/Windows
Created store/My Documents
Created store/Program Files/Quellbrin
Copied store/Program Files/Quellbrin/mainskin.dll
Copied store/Windows/wceload.exe
Created system.reg (an empty registry)
Created keys
Copied keys/update.pub
No database at store/Program Files/Quellbrin/VirusDB.dat (give one with --database FILE, or run 'tarnsig update')
)";
  EXPECT_EQ(Run(KV_TARNSCAN_PATH, {"init"}),
            (RunResult{0, "Prefix " + prefix_.Path().string() + laidOut, ""}));
  EXPECT_EQ(ReadFile(HivePath(prefix_.Store())), "Windows Registry Editor Version 5.00\n\n");
  EXPECT_EQ(fs::status(prefix_.StorePath() / "Windows/wceload.exe").permissions(),
            fs::status(data_.File("wceload.exe")).permissions());

  // Again, with a database and the user's own registry: what is there is
  // kept, and a database is copied only where there is none.
  const std::string userHive = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\a]\n\n";
  WriteFile(HivePath(prefix_.Store()), userHive);
  const std::string demoDatabase = std::string(KV_DEMO_PREFIX) + "/" + kDatabase;
  const RunResult withDatabase = Run(KV_TARNSCAN_PATH, {"init", "--database", demoDatabase});
  EXPECT_EQ(withDatabase.status, 0) << withDatabase.err;
  EXPECT_NE(withDatabase.out.find("Kept system.reg (already there)\n"), std::string::npos);
  EXPECT_TRUE(withDatabase.out.ends_with("Kept keys/update.pub (already there)\nCopied " +
                                         kDatabase + "\n"))
      << withDatabase.out;
  EXPECT_EQ(ReadFile(HivePath(prefix_.Store())), userHive);
  EXPECT_EQ(ReadFile(prefix_.Path() / kDatabase), ReadFile(demoDatabase));
  const auto before = Files();
  EXPECT_EQ(Run(KV_TARNSCAN_PATH, {"init", "--database", data_.File("update.pub")}),
            (RunResult{1, "",
                       "tarnscan: init: a database is already at '" +
                           (prefix_.Path() / kDatabase).string() +
                           "'; not replaced (remove it first, or update it with 'tarnsig "
                           "update')\n"}));
  EXPECT_EQ(Files(), before);

  EXPECT_EQ(Run(KV_TARNWATCH_PATH, {"-autocheck"}).status, 255);
  const RunResult log = Run(KV_TARNSCAN_PATH, {"log"});
  EXPECT_TRUE(log.out.find(" Self scan started\n") < log.out.find(" Self scan finished\n"))
      << log.out;
  const RunResult window =
      RunProgram("timeout", {"3", KV_TARNWATCH_PATH}, {}, {"QT_QPA_PLATFORM=offscreen"});
  EXPECT_EQ(window.status, 124) << window.err;  // still up when timeout(1) ended it
}

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
    return RunTarnscan(args);
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
    EXPECT_EQ(Scan(row.options), (RunResult{row.status, row.out, ""}))
        << ::testing::PrintToString(row.options);
  }
  EXPECT_TRUE(fs::exists(Tree() / "a.exe"));  // report only

  // One object a file. (That answers come in walk order on any number of
  // threads is shown by tarnsig check, on the same pool.)
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
  EXPECT_TRUE(fs::exists(dir_.File("outside.exe")));  // behind a link: never touched
  const RunResult list = RunTarnscan({"quarantine", "list", "--format", "ndjson"});
  const std::string id = list.out.substr(list.out.find("\"id\":\"") + 6, 25);
  EXPECT_EQ(RunTarnscan({"quarantine", "restore", id}).status, 0);
  EXPECT_EQ(ReadFile(Tree() / "a.exe"), "header EVIL-MARK");  // back where it was found

  EXPECT_EQ(Scan({"--remove", "-i"}).out, Line("a.exe", "FOUND Evil (removed)"));
  EXPECT_FALSE(fs::exists(Tree() / "a.exe"));
  EXPECT_TRUE(fs::is_symlink(Tree() / "link.exe"));
}

// Found files are moved in runs on the report lane, beside the checking
// threads, and their lines wait for the moves: the same lines and the same
// files moved on any number of threads.
class TarnscanQuarantineThreaded : public TarnscanScanTest {};

TEST_F(TarnscanQuarantineThreaded, MovesTheSameFilesWithTheSameLinesOnAnyThreadCount) {
  std::string expected = Line("a.exe", "FOUND Evil (quarantined)");
  for (int i = 0; i < 60; ++i) {
    const std::string name = "many/f" + std::to_string(100 + i) + ".exe";
    WriteFile(Tree() / name, i % 3 == 0 ? "EVIL-MARK" : "clean");
    if (i % 3 == 0) expected += Line(name, "FOUND Evil (quarantined)");
  }
  expected += Line("sub/c.bin", "FOUND Evil (quarantined)");
  const fs::path master = dir_.Path() / "master";
  fs::copy(Tree(), master, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  for (const char* threads : {"1", "4"}) {
    SCOPED_TRACE(threads);
    fs::remove_all(Tree());
    fs::copy(master, Tree(), fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    EXPECT_EQ(Scan({"--quarantine", "-i", "--threads", threads}), (RunResult{1, expected, ""}));
    EXPECT_FALSE(fs::exists(Tree() / "many/f100.exe") || fs::exists(Tree() / "sub/c.bin"));
    EXPECT_EQ(ReadFile(Tree() / "many/f101.exe"), "clean");
  }
}

TEST_F(TarnscanScanTest, ANamedLinkIsFollowedAndDeepAndWideFoldersAreWalkedInNameOrder) {
  const std::string link = (Tree() / "link.exe").string();
  EXPECT_EQ(RunTarnscan({"scan", "--database", dir_.File("db"), "--no-summary", link}),
            (RunResult{1, link + ": FOUND Evil\n", ""}));
  fs::path deep = Tree() / "deep";
  for (int level = 0; level <= limits::kMaxHeldHostFolders + 2; ++level) deep /= "d";
  WriteFile(deep / "x.exe", "EVIL-MARK");
  ASSERT_EQ(RunProgram("mkfifo", {(Tree() / "deep/pipe.exe").string()}).status, 0);
  // A folder's names are read ahead, a few with each file handed out before
  // it (here sub's two), and sorted when the walk reaches it.
  std::string wide;
  for (int i = 0; i < 30; ++i) {
    const std::string name = "wide/w" + std::to_string(100 + i) + ".exe";
    WriteFile(Tree() / name, "EVIL-MARK");
    wide += Line(name, "FOUND Evil");
  }
  EXPECT_EQ(Scan({"--threads", "2"}).out,
            Line("a.exe", "FOUND Evil") + (deep / "x.exe").string() + ": FOUND Evil\n" +
                Line("deep/pipe.exe", "NOT CHECKED (not a regular file)") +
                Line("sub/c.bin", "FOUND Evil") + wide);
}

TEST_F(TarnscanScanTest, ProgressAndSummaryGoToStandardErrorProgressOnlyOnATerminal) {
  const RunResult piped = RunTarnscan({"scan", "--database", dir_.File("db"), Tree().string()});
  EXPECT_TRUE(
      piped.err.starts_with("Scanned: 4 files, infected: 2, not checked: 0, actions "
                            "failed: 0, 5034 bytes, "))
      << piped.err;
  EXPECT_EQ(piped.err.find('\r'), std::string::npos);
  // Under a pseudo-terminal (script(1)) the live progress line appears.
  const RunResult tty = RunProgram("script", {"-qec",
                                              ShellQuote(KV_TARNSCAN_PATH) + " scan --database " +
                                                  dir_.File("db") + " " + Tree().string(),
                                              "/dev/null"});
  EXPECT_NE(tty.out.find("\r\033[K"), std::string::npos);
  EXPECT_NE(tty.out.find("Scanned: 4 files"), std::string::npos);
}

TEST(TarnscanLog, PrintsTheLogAsUtf8NewestFirstAndRefusesWhatIsNoLog) {
  const ToolPrefix prefix;
  EXPECT_EQ(RunTarnscan({"log"}), (RunResult{0, "", ""})) << "a missing log has no records";
  for (const std::u16string record :
       {u"2010/7/5 09:03:05", u"Trojan.A \u00e4 \\Windows\\a.exe", u"", u"line\nbreak"}) {
    ASSERT_EQ(AppendLogRecord(prefix.Store(), kLogPath, record), LogAppendResult::kAppended);
  }
  // In file order, it is what the tarnwatch tests read.
  EXPECT_EQ(RunTarnscan({"log", "--newest-first"}),
            (RunResult{0,
                       "line\xEF\xBF\xBD"
                       "break\nTrojan.A \xC3\xA4 \\Windows\\a.exe\n2010/7/5 09:03:05\n",
                       ""}));

  WriteFile(prefix.StorePath() / "Runeskop.log", "not a log");
  EXPECT_EQ(RunTarnscan({"log"}), (RunResult{2, "",
                                             "tarnscan: log: cannot read '" +
                                                 (prefix.StorePath() / "Runeskop.log").string() +
                                                 "' as an activity log\n"}));
}

// Listing, restoring (never over a file) and purging; then a quarantine the
// host will not open, each verb naming the host's cause.
TEST(TarnscanQuarantine, ListsRestoresWithoutOverwritingPurgesAndNamesTheHostsCause) {
  const ToolPrefix prefix;
  const std::string a = Quarantined(prefix, "Windows/a.exe", {"MZ\0\xff a", 6}, u"Trojan.A");
  const std::string b = Quarantined(prefix, "b.exe", "bbb", u"Trojan.A");
  const std::string c = Quarantined(prefix, "c.exe", "c", u"Trojan.A");
  const std::string d = Quarantined(prefix, "d.exe", "d", u"Trojan.A");

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
  WriteFile(prefix.StorePath() / "Windows/A.exe", "other");
  const std::string host = (prefix.Path() / "rescued.exe").string();
  const struct {
    std::vector<std::string> args;
    RunResult run;
  } steps[] = {
      {{"quarantine", "restore", a},
       {1, "",
        "tarnscan: quarantine restore: something already stands at \\Windows\\a.exe; nothing "
        "restored\n"}},
      {{"quarantine", "restore", a, "--to", host}, {0, "Restored " + a + " to " + host + "\n", ""}},
      {{"quarantine", "restore", b}, {0, "Restored " + b + "\n", ""}},
      {{"quarantine", "purge", c}, {0, "Purged " + c + "\n", ""}},
      {{"quarantine", "purge", c},
       {1, "", "tarnscan: quarantine purge: no item '" + c + "' in the quarantine\n"}},
      {{"quarantine", "purge", "--older-than", "0"}, {0, "Purged 1 item\n", ""}},
  };
  for (const auto& step : steps) EXPECT_EQ(RunTarnscan(step.args), step.run);
  EXPECT_EQ(ReadFile(host), std::string("MZ\0\xff a", 6));
  EXPECT_FALSE(fs::exists(prefix.Path() / "quarantine" / d));
  EXPECT_NE(RunTarnscan({"quarantine", "list"}).out.find(d + "  purged "), std::string::npos);

  fs::remove_all(prefix.Path() / "quarantine");
  WriteFile(prefix.Path() / "quarantine", "no folder");
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"quarantine", "list"},
       "quarantine list: cannot read '" + (prefix.Path() / "quarantine").string() + "'"},
      {{"quarantine", "restore", c},
       "quarantine restore: cannot change the quarantine for '" + c + "'"},
      {{"quarantine", "purge", "--older-than", "0"},
       "quarantine purge: some items could not be purged"},
  };
  for (const auto& [args, message] : cases) {
    const RunResult run = RunTarnscan(args);
    EXPECT_EQ(run, (RunResult{2, "", "tarnscan: " + message + ": Not a directory\n"}));
  }
}

// With the refusals of a data folder that init cannot copy from and of a
// database without content signatures; none lays out a prefix.
TEST(TarnscanUsage, EachUsageErrorOrRefusalIsOneLineWithStatus2) {
  const ToolPrefix prefix;
  const fs::path unborn = prefix.Path() / "unborn";
  ScopedEnvironment environment;
  environment.Set("KESTRELVOX_PREFIX", unborn.string())
      .Set("KESTRELVOX_DATA_DIR", prefix.Path().string());
  WriteFile(prefix.File("empty"), "7\r\n");
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
      {{"scan", "--database", prefix.File("empty"), prefix.Path().string()},
       "scan: the database holds no content signature: no file can be checked"},
      {{"init", unborn.string()},
       "init: no data folder with mainskin.dll and wceload.exe at '" + prefix.Path().string() +
           "' (install Kestrelvox, or name the folder in KESTRELVOX_DATA_DIR)"},
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
    EXPECT_EQ(RunTarnscan(args), (RunResult{2, "", "tarnscan: " + message + "\n"}));
  }
  EXPECT_FALSE(fs::exists(unborn));
}

}  // namespace
}  // namespace kv::testing
