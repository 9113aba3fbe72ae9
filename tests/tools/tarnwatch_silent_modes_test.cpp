// tarnwatch's silent run modes through the real binary: the self scan's
// log records, boxes and ended processes, the CAB check answered Yes, No,
// Cancel and not at all, with the installer recording what it was asked,
// and the background scan left to finish or stopped from outside by tarnreg.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tarnreg_runner.h"
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
  EXPECT_EQ(handset.LogRecords(),
            (Records{"<date> Self scan started", "Delete Trojan successfully:\\Windows\\evil.exe",
                     "<date> Self scan finished"}));
  EXPECT_EQ(ReadFile(handset.StorePath() / "Runeskop.log").substr(0, 4), "\xff\xfe\r\0"s);
  EXPECT_FALSE(fs::exists(handset.StorePath() / "Windows/evil.exe"));
  EXPECT_FALSE(fs::exists(handset.StorePath() / "Windows/evil.dll"));
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

TEST(TarnwatchCabCheck, AMissingPackageIsHandedToTheInstallerAndAnOverlongOneRefused) {
  const TarnwatchHandset handset({CharacterLine("Evil", "EVIL-MARK")});
  EXPECT_EQ(handset.Run({"\\nowhere.cab"}).status, 0);
  EXPECT_EQ(handset.InstallerArguments("\\nowhere.cab\n/nodelete\n"), "\\nowhere.cab\n/nodelete\n");
  const RunResult overlong = handset.Run({"\\" + std::string(300, 'x') + ".cab"});
  EXPECT_EQ(overlong.status, 255);
  EXPECT_EQ(overlong.err, "Error\nUnknown error:Can not install!\n[O]K\n");
  EXPECT_EQ(ReadFile(handset.InstallerLog()), "\\nowhere.cab\n/nodelete\n");
}

std::string ScanStatus() { return RunTarnreg({"query", kKey, "/v", "ScanStatus"}).out; }

TEST(TarnwatchBackgroundScan, AScanLeftToFinishWritesTwo) {
  const TarnwatchHandset handset({CharacterLine("Evil", "EVIL-MARK")});
  handset.WriteStoreFile("Windows/a.exe", "..EVIL-MARK..");
  handset.WriteStoreFile("Windows/b.txt", "..EVIL-MARK..");
  EXPECT_EQ(handset.Run({"-hideandscan"}).status, 255);
  EXPECT_NE(ScanStatus().find("REG_DWORD    0x2"), std::string::npos) << ScanStatus();
  EXPECT_FALSE(fs::exists(handset.StorePath() / "Windows/a.exe"));
  EXPECT_TRUE(fs::exists(handset.StorePath() / "Windows/b.txt"));  // not an extension it checks
  EXPECT_FALSE(fs::exists(handset.StorePath() / "Runeskop.log"));  // it writes no log
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

}  // namespace
}  // namespace kv::testing
