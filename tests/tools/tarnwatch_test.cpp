// tarnwatch through the real binary: the self scan's log records, boxes and
// quarantined files, the CAB check answered Yes, No, Cancel and not at all,
// with the installer recording what it was asked, the background scan left
// to finish or stopped from outside by tarnreg, and the reports they leave.
// (The memory pass's ended processes are shown in tests/scan.) A failed
// single-instance check ends the window's start with a documented status
// and says why, where the handset ended with the check's HRESULT. Only
// the window's start maps the window module's libraries, and needs it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/quarantine.h"
#include "support/program_runner.h"
#include "tool_runs.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;
using Records = std::vector<std::string>;

const std::string kKey = "HKLM\\software\\quellbrin\\Kestrelvox";

TEST(TarnwatchSelfScan, LogsAndShowsEachFindingDeletesItsCompanionsAndReportsEveryRun) {
  const TarnwatchHandset handset({"[VirusCharacter]", CharacterLine("Evil", "EVIL-MARK"),
                                  "[VirusFile]", "\\Windows\\evil.exe", "\\Windows\\gone.exe",
                                  "[DELETE_FILES]", "[Evil]", "\\Windows\\evil.dll"});
  handset.WriteStoreFile("Windows/evil.exe", "..EVIL-MARK..");
  handset.WriteStoreFile("Windows/evil.dll", "companion");
  EXPECT_EQ(
      handset.Run({"-autocheck"}),
      (RunResult{255, "",
                 "Information\nFound Trojan:\n\\Windows\\evil.exe\nDelete successfully!\n[O]K\n"}));
  EXPECT_EQ(
      handset.LogRecords(),
      (Records{"<date> Self scan started", "Delete related file:\\Windows\\evil.dll",
               "Delete Trojan successfully:\\Windows\\evil.exe", "<date> Self scan finished"}));
  EXPECT_FALSE(fs::exists(handset.StorePath() / "Windows/evil.exe"));
  EXPECT_FALSE(fs::exists(handset.StorePath() / "Windows/evil.dll"));

  // Both went to the quarantine with their records.
  const Result<QuarantineListing> listed = ListQuarantine(handset.Store());
  ASSERT_TRUE(listed.Ok());
  std::vector<std::u16string> records;
  for (const QuarantineItem& item : listed.value.items) {
    records.push_back(item.record.path + u" " + item.record.signature + u" " +
                      item.record.scanMode);
  }
  EXPECT_EQ(records,
            (std::vector<std::u16string>{u"\\Windows\\evil.dll companion of Evil autocheck",
                                         u"\\Windows\\evil.exe Evil autocheck"}));

  // Two scans at once leave two more complete reports, told apart by their
  // scan ids.
  handset.WriteStoreFile("Windows/evil.exe", "..EVIL-MARK..");
  const std::string tarnwatch = "KESTRELVOX_UI=console " + ShellQuote(KV_TARNWATCH_PATH) +
                                " -autocheck </dev/null >/dev/null 2>&1";
  ASSERT_EQ(std::system((tarnwatch + " & " + tarnwatch + "; wait").c_str()), 0);
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

// Each answer to the Trojan's alarm (none at all is Cancel, as the console
// boxes' tests show). Only a leading backslash makes a device path; any
// other is a host path, a relative one taken from the working directory
// (the test's own, which the run inherits): outside the store it is checked
// but never deleted, inside it names the store file. A CAB that cannot be
// checked (a device path to nothing, a host path to a link out of the
// store) is installed only on the user's Yes. (Every kind of file that
// cannot be checked is in tests/scan and tests/platform; the check asks
// alike for all.) Each argument comes quoted with trailing blanks, as the
// shell's file handler passes it.
TEST(TarnwatchCabCheck, AnswersDecideBetweenDeletingStoppingAndInstalling) {
  const TarnwatchHandset handset({CharacterLine("Evil", "EVIL-MARK")});
  const fs::path store = handset.StorePath();
  handset.WriteStoreFile("My Documents/clean.cab", "harmless");
  WriteFile(handset.Path() / "evil.cab", "..EVIL-MARK..");
  fs::create_symlink(handset.Path() / "evil.cab", store / "link.cab");
  const std::string cab = "\\My Documents\\a.cab";
  const std::string alarm = "Alerm:Kestrelvox found there's a Trojan in CAB file,Delete it?";
  const std::string unchecked = "Can not check the CAB file,install it anyway?";
  struct Row {
    std::string argument;
    std::string answer;
    int status;
    std::string box;  // the second line of its box, its text; "" for none
    Records outcome;  // the log records after the check's
    bool installed;
  };
  std::vector<Row> rows = {
      {"\\My Documents\\clean.cab", "", 0, "", {}, true},
      {cab, "y\n", 255, alarm, {"Delete successfully:" + cab}, false},
      {cab, "n\n", 0, alarm, {"Continue to install:" + cab}, true},
      {cab, "c\n", 255, alarm, {"Ignore Trojan:" + cab}, false},
  };
  const std::string inStore = (store / "My Documents/a.cab").string();
  rows.push_back({inStore, "y\n", 255, alarm, {"Delete successfully:" + inStore}, false});
  for (const std::string& path : {(handset.Path() / "evil.cab").string(),
                                  fs::relative(handset.Path() / "evil.cab").string()}) {
    rows.push_back({path, "y\n", 255, alarm, {"Can not delete:" + path}, false});
  }
  for (const std::string& path : {std::string("\\nowhere.cab"), (store / "link.cab").string()}) {
    const std::string unknown = "Can not check:" + path;
    rows.push_back({path, "", 255, unchecked, {unknown}, false});
    rows.push_back({path, "y\n", 0, unchecked, {unknown, "Continue to install:" + path}, true});
  }
  for (const Row& row : rows) {
    SCOPED_TRACE(row.argument + " answered '" + row.answer + "'");
    handset.WriteStoreFile("My Documents/a.cab", "..EVIL-MARK..");
    fs::remove(handset.InstallerLog());
    fs::remove(store / "Runeskop.log");
    const RunResult result = handset.Run({"\"" + row.argument + "\"   "}, row.answer);
    EXPECT_EQ(result.status, row.status);
    EXPECT_EQ(Lines(result.err + "\n\n")[1], row.box) << result.err;  // (no box: no lines)
    Records expected = {"<date> Check CAB file"};
    expected.insert(expected.end(), row.outcome.begin(), row.outcome.end());
    EXPECT_EQ(handset.LogRecords(), expected);
    const std::string installed = row.installed ? row.argument + "\n/nodelete\n" : "";
    EXPECT_EQ(handset.InstallerArguments(installed), installed);
    EXPECT_NE(fs::exists(store / "My Documents/a.cab"),
              expected.back().starts_with("Delete successfully:"));
  }
  EXPECT_TRUE(fs::exists(handset.Path() / "evil.cab"));
}

std::string ScanStatus() { return RunTarnreg({"query", kKey, "/v", "ScanStatus"}).out; }

// It writes no log, but a report, as every scan does. Then a database that
// loads without a usable line: no scan may read that as "no Trojan". (A
// missing one is the loader's same refusal, in tests/database; every other
// broken database is there too, and the CAB check asks for any file it
// cannot check, above.)
TEST(TarnwatchBackgroundScan, AScanLeftToFinishWritesTwoAndLeavesAReportOrThreeWithoutADatabase) {
  const TarnwatchHandset handset({CharacterLine("Evil", "EVIL-MARK")});
  handset.WriteStoreFile("Windows/a.exe", "..EVIL-MARK..");
  handset.WriteStoreFile("Windows/b.txt", "..EVIL-MARK..");
  EXPECT_EQ(handset.Run({"-hideandscan"}).status, 255);
  EXPECT_NE(ScanStatus().find("REG_DWORD    0x2"), std::string::npos) << ScanStatus();
  EXPECT_FALSE(fs::exists(handset.StorePath() / "Windows/a.exe"));
  EXPECT_TRUE(fs::exists(handset.StorePath() / "Windows/b.txt"));  // not an extension it checks
  EXPECT_FALSE(fs::exists(handset.StorePath() / "Runeskop.log"));

  const RunResult report = RunTarnscan({"report"});
  EXPECT_EQ(report.status, 0);
  const std::vector<std::string> lines = Lines(report.out);
  ASSERT_GE(lines.size(), 3u) << report.out;
  EXPECT_TRUE(lines[0].starts_with("scan ")) << lines[0];
  EXPECT_NE(lines[0].find("  hideandscan  "), std::string::npos) << lines[0];
  // The database and the installer are checked too.
  EXPECT_TRUE(lines.back().starts_with(
      "  summary: 3 files checked, 1 infected, 0 not checked, 0 actions failed, "))
      << lines.back();

  handset.WriteDatabase("7\r\n!!!!\r\n");
  handset.WriteStoreFile("Windows/a.exe", "..EVIL-MARK..");
  EXPECT_EQ(handset.Run({"-hideandscan"}).status, 255);
  EXPECT_NE(ScanStatus().find("REG_DWORD    0x3"), std::string::npos) << ScanStatus();
  EXPECT_TRUE(fs::exists(handset.StorePath() / "Windows/a.exe"));
  EXPECT_EQ(handset.Run({"-autocheck"}).status, 255);
  EXPECT_EQ(handset.LogRecords(), (Records{"<date> Self scan started", "*Virus DB is not loaded!",
                                           "<date> Self scan finished"}));
}

// The walk is made slow (each file costs about a second of search: the
// literal is there, but never 300 bytes into a line; the atomic group keeps
// the signature from the linear automaton); tarnreg writes ScanStatus 0
// again and again until tarnwatch ends, so the stop is seen whenever the
// watch came up.
TEST(TarnwatchBackgroundScan, AScanStoppedFromOutsideEndsWithoutWritingTwo) {
  const TarnwatchHandset handset(
      {CharacterLine("Slow", "(?>.{300})QQ"), CharacterLine("Evil", "EVIL-MARK")});
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

// The window module: the silent modes never map Qt or libcurl (the
// loader's own trace says which libraries a run opened), a start of the
// window does; and a tarnwatch whose module is missing still runs its
// silent modes, while its window's start says why it cannot open and ends
// with 1.
// No display, so that a window's start ends as soon as the module is in.
const std::vector<std::string> kNoDisplay = {
    "DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=", "KESTRELVOX_UI=console"};

TEST(TarnwatchWindowModule, OnlyTheWindowsStartMapsItsLibrariesNeedsItAndItsLock) {
  const TarnwatchHandset handset({CharacterLine("Evil", "EVIL-MARK")});
  std::vector<std::string> traced = kNoDisplay;
  traced.push_back("LD_DEBUG=libs");
  for (const std::string mode : {"-hideandscan", "-autocheck", ""}) {
    const bool window = mode.empty();
    const RunResult result = RunProgram(
        KV_TARNWATCH_PATH, window ? std::vector<std::string>{} : std::vector{mode}, {}, traced);
    EXPECT_EQ(result.status, window ? 1 : 255) << mode << "\n" << result.err;
    for (const char* library : {"libQt6Widgets.so", "libQt6Core.so", "libcurl"}) {
      EXPECT_EQ(result.err.find(library) != std::string::npos, window) << mode << " " << library;
    }
  }

  // Without the module beside it.
  handset.WriteStoreFile("Windows/a.exe", "..EVIL-MARK..");
  const TempDir alone;
  const std::filesystem::path program = alone.Path() / "tarnwatch";
  std::filesystem::copy_file(KV_TARNWATCH_PATH, program);

  EXPECT_EQ(RunProgram(program.string(), {"-hideandscan"}, {}, kNoDisplay).status, 255);
  EXPECT_FALSE(std::filesystem::exists(handset.StorePath() / "Windows/a.exe"));

  const RunResult window = RunProgram(program.string(), {}, {}, kNoDisplay);
  EXPECT_EQ(window.status, 1);
  EXPECT_TRUE(window.err.starts_with(
      "tarnwatch: cannot load the window: " +
      (alone.Path() / "../lib/kestrelvox/tarnwatch-window.so").lexically_normal().string() +
      ": cannot open shared object file"))
      << window.err;

  // A failed single-instance check ends it with 1 too, and says why; Qt
  // may say something of its own first.
  std::filesystem::create_directories(handset.Path() / "run" / "Kestrelvox.lock");
  const RunResult locked = RunProgram(KV_TARNWATCH_PATH, {}, {}, {"QT_QPA_PLATFORM=offscreen"});
  EXPECT_EQ(locked.status, 1);
  EXPECT_TRUE(locked.err.ends_with("tarnwatch: cannot take the single-instance lock in '" +
                                   (handset.Path() / "run").string() + "'\n"))
      << locked.err;
}

}  // namespace
}  // namespace kv::testing
