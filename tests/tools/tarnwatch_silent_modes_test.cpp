// tarnwatch's silent run modes through the real binary: the self scan's
// log records, boxes and ended processes, the CAB check answered Yes, No,
// Cancel and not at all, with the installer recording what it was asked,
// and the background scan left to finish or stopped from outside by tarnreg.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/quarantine.h"
#include "support/program_runner.h"
#include "tarnwatch_runner.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;
using Records = std::vector<std::string>;
using namespace std::string_literals;

const std::string kKey = "HKLM\\software\\quellbrin\\Kestrelvox";

TEST(TarnwatchSelfScan, LogsAndShowsEachFindingAndDeletesItsCompanions) {
  const TarnwatchHandset handset({"[VirusCharacter]", CharacterLine("Evil", "EVIL-MARK"),
                                  "[VirusFile]", "\\Windows\\evil.exe", "\\Windows\\gone.exe",
                                  "[DELETE_FILES]", "[Evil]", "\\Windows\\evil.dll"});
  handset.WriteStoreFile("Windows/evil.exe", "..EVIL-MARK..");
  handset.WriteStoreFile("Windows/evil.dll", "companion");
  const RunResult result = handset.Run({"-autocheck"});
  EXPECT_EQ(result.status, 255);
  EXPECT_EQ(result.err,
            "Information\nFound Trojan:\n\\Windows\\evil.exe\nDelete successfully!\n[O]K\n");
  EXPECT_EQ(
      handset.LogRecords(),
      (Records{"<date> Self scan started", "Delete related file:\\Windows\\evil.dll",
               "Delete Trojan successfully:\\Windows\\evil.exe", "<date> Self scan finished"}));
  EXPECT_EQ(ReadFile(handset.StorePath() / "Runeskop.log").substr(0, 4), "\xff\xfe\r\0"s);
  EXPECT_FALSE(fs::exists(handset.StorePath() / "Windows/evil.exe"));
  EXPECT_FALSE(fs::exists(handset.StorePath() / "Windows/evil.dll"));

  // Both went to the quarantine with their records; a restore brings the
  // Trojan back byte for byte.
  platform::QuarantineListing listing;
  ASSERT_TRUE(platform::ListQuarantine(handset.Store(), listing));
  ASSERT_EQ(listing.items.size(), 2u);
  EXPECT_EQ(listing.items[0].record.path, u"\\Windows\\evil.dll");
  EXPECT_EQ(listing.items[0].record.signature, u"companion of Evil");
  EXPECT_EQ(listing.items[1].record.path, u"\\Windows\\evil.exe");
  EXPECT_EQ(listing.items[1].record.signature, u"Evil");
  EXPECT_EQ(listing.items[1].record.scanMode, u"autocheck");
  EXPECT_EQ(
      RunProgram(KV_TARNSCAN_PATH, {"quarantine", "restore", listing.items[1].record.id}).status,
      0);
  EXPECT_EQ(ReadFile(handset.StorePath() / "Windows/evil.exe"), "..EVIL-MARK..");
}

// `program` started in the background; its pid.
int StartSleeper(const fs::path& program, const fs::path& pidFile) {
  const std::string command = ShellQuote(program.string()) +
                              " 60 </dev/null >/dev/null 2>&1 & echo $! >" +
                              ShellQuote(pidFile.string());
  if (std::system(command.c_str()) != 0) return -1;
  return std::atoi(ReadFile(pidFile).c_str());
}

// Whether the process runs: a killed one is gone, or a zombie until reaped.
bool IsRunning(int pid) {
  const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
  const std::size_t end = stat.rfind(')');
  return end != std::string::npos && end + 2 < stat.size() && stat[end + 2] != 'Z';
}

TEST(TarnwatchSelfScan, EndsAProcessRunFromTheStoreAndLeavesTheSameNameOutside) {
  const TarnwatchHandset handset(
      {"[VirusCharacter]", CharacterLine("Evil", "EVIL-MARK"), "[VirusProcess]", "DemoTrojan.exe"});
  const fs::path inStore = handset.StorePath() / "Program Files/Tool/DemoTrojan.exe";
  const fs::path outside = handset.Path() / "elsewhere/DemoTrojan.exe";
  WriteFile(outside, ReadFile("/bin/sleep"));
  WriteFile(inStore, ReadFile("/bin/sleep") + "EVIL-MARK");  // a marker the binary ignores
  for (const fs::path& copy : {inStore, outside}) {
    fs::permissions(copy, fs::perms::owner_exec, fs::perm_options::add);
  }
  const int outsidePid = StartSleeper(outside, handset.Path() / "outside.pid");
  const int storePid = StartSleeper(inStore, handset.Path() / "store.pid");
  ASSERT_TRUE(outsidePid > 0 && storePid > 0);

  EXPECT_EQ(handset.Run({"-autocheck"}).status, 255);
  EXPECT_FALSE(IsRunning(storePid));
  EXPECT_FALSE(fs::exists(inStore));
  const std::string exe = "\\Program Files\\Tool\\DemoTrojan.exe";
  EXPECT_EQ(handset.LogRecords(), (Records{"<date> Self scan started", "Kill Trojan process:" + exe,
                                           "Delete Trojan successfully:" + exe,
                                           "*There's no Trojan!", "<date> Self scan finished"}));
  EXPECT_TRUE(IsRunning(outsidePid));
  EXPECT_TRUE(fs::exists(outside));
  std::system(("kill -9 " + std::to_string(outsidePid)).c_str());
}

struct CabCase {
  std::string what;
  std::string content;  // of \My Documents\a.cab
  std::string answer;
  int status;
  std::string outcome;  // the log record after the check; "" for none
  bool installed;
  bool kept;
};

TEST(TarnwatchCabCheck, AnswersDecideBetweenDeletingStoppingAndInstalling) {
  const std::string path = "\\My Documents\\a.cab";
  const CabCase cases[] = {
      {"clean", "harmless", "", 0, "", true, true},
      {"Yes", "..EVIL-MARK..", "y\n", 255, "Delete successfully:" + path, false, false},
      {"No", "..EVIL-MARK..", "n\n", 0, "Continue to install:" + path, true, true},
      {"Cancel", "..EVIL-MARK..", "c\n", 255, "Ignore Trojan:" + path, false, true},
      {"no answer", "..EVIL-MARK..", "", 255, "Ignore Trojan:" + path, false, true},
  };
  for (const CabCase& c : cases) {
    const TarnwatchHandset handset({CharacterLine("Evil", "EVIL-MARK")});
    handset.WriteStoreFile("My Documents/a.cab", c.content);
    SCOPED_TRACE(c.what);
    EXPECT_EQ(handset.Run({"\"" + path + "\"   "}, c.answer).status, c.status);
    Records expected = {"<date> Check CAB file"};
    if (!c.outcome.empty()) expected.push_back(c.outcome);
    EXPECT_EQ(handset.LogRecords(), expected);
    const std::string installed = c.installed ? path + "\n/nodelete\n" : "";
    EXPECT_EQ(handset.InstallerArguments(installed), installed);
    EXPECT_EQ(fs::exists(handset.StorePath() / "My Documents/a.cab"), c.kept);
  }
}

TEST(TarnwatchCabCheck, AHostPathOutsideTheStoreIsCheckedButNeverDeleted) {
  const TarnwatchHandset handset({CharacterLine("Evil", "EVIL-MARK")});
  const fs::path outside = handset.Path() / "outside.cab";
  WriteFile(outside, "..EVIL-MARK..");
  EXPECT_EQ(handset.Run({outside.string()}, "y\n").status, 255);
  EXPECT_EQ(handset.LogRecords(),
            (Records{"<date> Check CAB file", "Can not delete:" + outside.string()}));
  EXPECT_TRUE(fs::exists(outside));
  // Inside the store, a host path names the store file.
  handset.WriteStoreFile("a.cab", "..EVIL-MARK..");
  EXPECT_EQ(handset.Run({(handset.StorePath() / "a.cab").string()}, "y\n").status, 255);
  EXPECT_FALSE(fs::exists(handset.StorePath() / "a.cab"));
}

// The working directory of the test process, for the run of one block.
class ScopedWorkingDirectory {
 public:
  explicit ScopedWorkingDirectory(const fs::path& path) : saved_(fs::current_path()) {
    fs::current_path(path);
  }
  ~ScopedWorkingDirectory() { fs::current_path(saved_); }

 private:
  fs::path saved_;
};

TEST(TarnwatchCabCheck, OnlyABackslashMakesADevicePathAndARelativeOneIsTheHostFile) {
  const TarnwatchHandset handset({CharacterLine("Evil", "EVIL-MARK")});
  WriteFile(handset.Path() / "evil.cab", "..EVIL-MARK..");
  const ScopedWorkingDirectory here(handset.Path());
  for (const std::string argument : {"evil.cab", "./evil.cab"}) {
    SCOPED_TRACE(argument);
    EXPECT_EQ(handset.Run({argument}).status, 255);  // no answer: Cancel
    EXPECT_EQ(handset.LogRecords().back(), "Ignore Trojan:" + argument);
    EXPECT_EQ(handset.InstallerArguments(""), "");
  }
}

// Each CAB that cannot be checked is installed only on the user's Yes.
TEST(TarnwatchCabCheck, APackageThatCannotBeCheckedIsInstalledOnlyOnYes) {
  const TarnwatchHandset handset({CharacterLine("Evil", "EVIL-MARK")});
  const fs::path store = handset.StorePath();
  WriteFile(store / "big.cab", "");
  fs::resize_file(store / "big.cab", std::uint64_t{257} << 20);  // sparse, over the bound
  WriteFile(store / "locked.cab", "harmless");
  fs::create_directories(store / "folder.cab");
  WriteFile(handset.Path() / "outside.cab", "..EVIL-MARK..");
  fs::create_symlink(handset.Path() / "outside.cab", store / "link.cab");
  ASSERT_EQ(std::system(("mkfifo " + ShellQuote((handset.Path() / "fifo.cab").string())).c_str()),
            0);
  platform::Result<platform::File> holder =
      platform::File::OpenHostFile(store / "locked.cab", platform::Sharing::kNone);
  ASSERT_EQ(holder.status, platform::FileStatus::kOk);
  const std::string question =
      "Warning\nCan not check the CAB file,install it anyway?\n[Y]es [N]o?";
  const std::vector<std::string> arguments = {"\\nowhere.cab",
                                              "\\big.cab",
                                              "\\locked.cab",
                                              "\\folder.cab",
                                              (store / "link.cab").string(),
                                              (handset.Path() / "fifo.cab").string(),
                                              "/dev/zero"};
  for (const std::string& argument : arguments) {
    SCOPED_TRACE(argument);
    for (const bool yes : {false, true}) {
      fs::remove(handset.InstallerLog());
      fs::remove(store / "Runeskop.log");
      const RunResult result = handset.Run({argument}, yes ? "y\n" : "");
      EXPECT_EQ(result.status, yes ? 0 : 255);
      EXPECT_EQ(result.err.substr(0, question.size()), question);
      Records expected = {"<date> Check CAB file", "Can not check:" + argument};
      if (yes) expected.push_back("Continue to install:" + argument);
      EXPECT_EQ(handset.LogRecords(), expected);
      const std::string installed = yes ? argument + "\n/nodelete\n" : "";
      EXPECT_EQ(handset.InstallerArguments(installed), installed);
    }
  }
  const RunResult overlong = handset.Run({"\\" + std::string(300, 'x') + ".cab"});
  EXPECT_EQ(overlong.status, 255);
  EXPECT_EQ(overlong.err, "Error\nUnknown error:Can not install!\n[O]K\n");
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string ScanStatus() { return RunTarnreg({"query", kKey, "/v", "ScanStatus"}).out; }

// A database that is missing, empty, cut, undecodable or has only line
// ends without CR: no mode may read that as "no Trojan".
TEST(TarnwatchWithoutADatabase, EveryModeSaysSoInsteadOfNoTrojan) {
  const std::string evil = "..EVIL-MARK..";
  for (const std::string& database :
       {std::string("none"), std::string(""), std::string("7\r\n"), std::string("7\r\n!!!!\r\n"),
        DatabaseFile("7", {CharacterLine("Evil", "EVIL-MARK")}).substr(0, 5)}) {
    SCOPED_TRACE(database);
    const TarnwatchHandset handset({});
    const fs::path db = handset.StorePath() / "Program Files/Quellbrin/VirusDB.dat";
    if (database == "none") {
      fs::remove(db);
    } else {
      WriteFile(db, database);
    }
    handset.WriteStoreFile("Windows/a.exe", evil);
    EXPECT_EQ(handset.Run({"-autocheck"}).status, 255);
    EXPECT_EQ(handset.LogRecords(), (Records{"<date> Self scan started", "*Virus DB is not loaded!",
                                             "<date> Self scan finished"}));
    EXPECT_EQ(handset.Run({"-hideandscan"}).status, 255);
    EXPECT_NE(ScanStatus().find("REG_DWORD    0x3"), std::string::npos) << ScanStatus();
    EXPECT_EQ(handset.Run({"\\Windows\\a.exe"}).status, 255);  // asked, no answer: not installed
    EXPECT_EQ(handset.LogRecords().back(), "Can not check:\\Windows\\a.exe");
    EXPECT_TRUE(fs::exists(handset.StorePath() / "Windows/a.exe"));
  }
}

TEST(TarnwatchBackgroundScan, AScanLeftToFinishWritesTwo) {
  const TarnwatchHandset handset({CharacterLine("Evil", "EVIL-MARK")});
  handset.WriteStoreFile("Windows/a.exe", "..EVIL-MARK..");
  handset.WriteStoreFile("Windows/b.txt", "..EVIL-MARK..");
  EXPECT_EQ(handset.Run({"-hideandscan"}).status, 255);
  EXPECT_NE(ScanStatus().find("REG_DWORD    0x2"), std::string::npos) << ScanStatus();
  EXPECT_FALSE(fs::exists(handset.StorePath() / "Windows/a.exe"));
  EXPECT_TRUE(fs::exists(handset.StorePath() / "Windows/b.txt"));  // not an extension it checks
  EXPECT_FALSE(fs::exists(handset.StorePath() / "Runeskop.log"));  // it writes no log
  platform::QuarantineListing listing;
  ASSERT_TRUE(platform::ListQuarantine(handset.Store(), listing));
  ASSERT_EQ(listing.items.size(), 1u);
  EXPECT_EQ(listing.items[0].record.scanMode, u"hideandscan");
}

// The walk is made slow (each file costs about a second of search: the
// literal is there, but never 300 bytes into a line); tarnreg writes ScanStatus 0 again and again
// until tarnwatch ends, so the stop is seen whenever the watch came up.
TEST(TarnwatchBackgroundScan, AScanStoppedFromOutsideEndsWithoutWritingTwo) {
  const TarnwatchHandset handset(
      {CharacterLine("Slow", ".{300}QQ"), CharacterLine("Evil", "EVIL-MARK")});
  for (int i = 0; i < 200; ++i) {
    handset.WriteStoreFile("Data/f" + std::to_string(i) + ".dat",
                           "QQ" + std::string(64 << 10, 'w'));
  }
  const std::string at = ShellQuote(handset.Path().string());
  const std::string command =
      "( " + ShellQuote(KV_TARNWATCH_PATH) + " -hideandscan </dev/null; echo $? >" + at +
      "/status ) & for i in $(seq 300); do [ -e " + at + "/status ] && break; " +
      ShellQuote(KV_TARNREG_PATH) + " add " + ShellQuote(kKey) +
      " /v ScanStatus /t REG_DWORD /d 0 /f >/dev/null; sleep 0.2; done; wait";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadFile(handset.Path() / "status"), "255\n");
  EXPECT_NE(ScanStatus().find("REG_DWORD    0x0"), std::string::npos) << ScanStatus();
}

RunResult RunTarnscan(const std::vector<std::string>& args) {
  return RunProgram(KV_TARNSCAN_PATH, args);
}

// Every scan leaves a report, whatever its mode; two at once leave two
// complete ones, told apart by their scan ids.
TEST(TarnwatchReports, EachScanLeavesACompleteReportEvenTwoAtOnce) {
  const TarnwatchHandset handset(
      {CharacterLine("Evil", "EVIL-MARK"), "[VirusFile]", "\\Windows\\evil.exe"});
  handset.WriteStoreFile("Windows/a.exe", "..EVIL-MARK..");
  handset.WriteStoreFile("Windows/evil.exe", "..EVIL-MARK..");
  EXPECT_EQ(handset.Run({"-hideandscan"}).status, 255);
  const RunResult report = RunTarnscan({"report"});
  EXPECT_EQ(report.status, 0);
  const std::vector<std::string> lines = Lines(report.out);
  ASSERT_GE(lines.size(), 3u) << report.out;
  EXPECT_TRUE(lines[0].starts_with("scan ")) << lines[0];
  EXPECT_NE(lines[0].find("  hideandscan  "), std::string::npos) << lines[0];
  // The database and the installer are checked too.
  EXPECT_TRUE(lines.back().starts_with(
      "  summary: 4 files checked, 2 infected, 0 not checked, 0 actions failed, "))
      << lines.back();

  const std::string tarnwatch = ShellQuote(KV_TARNWATCH_PATH);
  handset.WriteStoreFile("Windows/evil.exe", "..EVIL-MARK..");
  ASSERT_EQ(std::system(("KESTRELVOX_UI=console " + tarnwatch +
                         " -autocheck </dev/null >/dev/null 2>&1 & " + "KESTRELVOX_UI=console " +
                         tarnwatch + " -autocheck </dev/null >/dev/null 2>&1; wait")
                            .c_str()),
            0);
  const RunResult all = RunTarnscan({"report", "--all", "--format", "ndjson"});
  int starts = 0;
  int ends = 0;
  for (const std::string& line : Lines(all.out)) {
    starts += line.find("\"event\":\"start\"") != std::string::npos ? 1 : 0;
    ends += line.find("\"event\":\"end\"") != std::string::npos ? 1 : 0;
  }
  EXPECT_EQ(starts, 3);
  EXPECT_EQ(ends, 3);
}

}  // namespace
}  // namespace kv::testing
