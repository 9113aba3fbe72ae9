// The memory scan against real processes: copies of /bin/sleep started from
// the store as "DemoTrojan.exe", with a marker appended that a content
// signature finds. Which process is ended, what becomes of its file, the
// question asked when no signature is found, and the failures reported.
#include "scan/memory_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/fault_injection.h"
#include "platform/processes.h"
#include "platform/program_start.h"
#include "scan/file_matcher.h"
#include "support/database_writer.h"
#include "support/scan_recorders.h"
#include "support/temp_files.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;

constexpr char kMarker[] = "KV-DEMO-TROJAN-MARK";
constexpr char16_t kTrojanPath[] = u"\\Program Files\\Tool\\DemoTrojan.exe";
constexpr char kTrojanLine[] = "\\Program Files\\Tool\\DemoTrojan.exe";

// Copies /bin/sleep to `relative` in the store of `prefix`, with the marker
// appended (the program runs all the same).
fs::path InstallSleeper(const TempPrefix& prefix, const fs::path& relative) {
  const fs::path path = prefix.StorePath() / relative;
  fs::create_directories(path.parent_path());
  fs::copy_file("/bin/sleep", path);
  std::ofstream(path, std::ios::binary | std::ios::app) << kMarker;
  return path;
}

std::vector<platform::ProcessEntry> Processes(const platform::Store& store) {
  platform::Result<std::vector<platform::ProcessEntry>> processes =
      platform::TakeProcessSnapshot(store);
  EXPECT_TRUE(processes.Ok());
  return std::move(processes.value);
}

bool IsRunning(const platform::Store& store, int id) {
  for (const platform::ProcessEntry& process : Processes(store)) {
    if (process.id == id) return true;
  }
  return false;
}

// Starts the store program at `devicePath`; its id once it is listed, or 0.
int StartSleeper(const platform::Store& store, std::u16string_view devicePath) {
  if (!platform::StartStoreProgram(store, devicePath, u"600")) return 0;
  for (int attempt = 0; attempt < 500; ++attempt, platform::SleepMilliseconds(10)) {
    for (const platform::ProcessEntry& process : Processes(store)) {
      const platform::Result<platform::ProcessHandle> handle =
          platform::ProcessHandle::Open(store, process.id);
      if (handle.Ok() && handle.value.ExecutablePath() == devicePath) {
        return process.id;
      }
    }
  }
  return 0;
}

// Ends every process still running from the store.
void EndAll(const platform::Store& store) {
  for (const platform::ProcessEntry& process : Processes(store)) {
    platform::Result<platform::ProcessHandle> handle =
        platform::ProcessHandle::Open(store, process.id);
    if (handle.Ok()) (void)handle.value.Terminate();
  }
}

class MemoryScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    trojan_ = InstallSleeper(prefix_, "Program Files/Tool/DemoTrojan.exe");
    UseSignatures("DemoTrojan.exe", kMarker);
  }
  void TearDown() override { EndAll(store_); }

  // `processName` empty: no process signature at all.
  void UseSignatures(const std::string& processName, const std::string& pattern) {
    const std::string character = CharacterLine("Demo", pattern);
    database_ = SignatureDatabase::Build(
        processName.empty() ? DatabaseFile("1", {character})
                            : DatabaseFile("1", {character, "[VirusProcess]", processName}),
        SignatureDatabase());
  }
  MemoryScanResult Scan(bool showBoxes) {
    FileMatcher matcher(store_, *database_);
    ScanEvents events = recorded_->Events();
    const ScanContext context{store_, *database_,         matcher, ScanMode::kMemory, stop_,
                              events, recorded_->outputs, 1};
    return MemoryScan(context, showBoxes);
  }
  std::vector<std::string> Lines() const { return recorded_->observer.lines; }
  void Forget() {
    auto answers = recorded_->boxes.answers;
    recorded_ = std::make_unique<RecordedScan>();
    recorded_->boxes.answers = answers;
  }

  TempPrefix prefix_;
  const platform::Store& store_ = prefix_.Store();
  fs::path trojan_;
  std::shared_ptr<const SignatureDatabase> database_;
  StopToken stop_;
  std::unique_ptr<RecordedScan> recorded_ = std::make_unique<RecordedScan>();
};

TEST_F(MemoryScanTest, EndsTheSuspectAndDeletesItsFileWhenASignatureIsFound) {
  const int id = StartSleeper(store_, kTrojanPath);
  ASSERT_NE(id, 0);
  EXPECT_EQ(Scan(false), MemoryScanResult::kTerminated);
  EXPECT_EQ(Lines(),
            (std::vector<std::string>{std::string("Kill Trojan process:") + kTrojanLine,
                                      kTrojanLine, "[1].Found Trojan,Delete successfully:"}));
  EXPECT_FALSE(IsRunning(store_, id));
  EXPECT_FALSE(fs::exists(trojan_));
  EXPECT_TRUE(recorded_->boxes.shown.empty());
  EXPECT_EQ(recorded_->clock.pauses, (std::vector<int>{500}));
}

TEST_F(MemoryScanTest, NoSuspectWithoutAProcessSignatureOfTheExactName) {
  const int id = StartSleeper(store_, kTrojanPath);
  ASSERT_NE(id, 0);
  for (const bool none : {false, true}) {
    SCOPED_TRACE(none ? "no process signatures" : "name differing in letter case");
    UseSignatures(none ? "" : "demotrojan.exe", kMarker);
    Forget();
    EXPECT_EQ(Scan(true), MemoryScanResult::kNoSuspect);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"There's no Trojan in memory!"}));
    EXPECT_TRUE(IsRunning(store_, id));
    ASSERT_EQ(recorded_->boxes.shown.size(), 1u);
    EXPECT_EQ(recorded_->boxes.shown[0].text, "Found no Trojans!");
  }
}

TEST_F(MemoryScanTest, AFileWithoutAKnownPatternGoesOnlyWhenTheUserSaysYes) {
  UseSignatures("DemoTrojan.exe", "NOT-IN-THE-FILE");
  fs::permissions(trojan_, fs::perms::owner_write, fs::perm_options::remove);  // read-only
  const std::string question =
      std::string("Found a program looks like Trojan:\n") + kTrojanLine + "\nDelete it?";
  for (const auto answer : {platform::MessageAnswer::kNo, platform::MessageAnswer::kYes}) {
    const bool yes = answer == platform::MessageAnswer::kYes;
    SCOPED_TRACE(yes ? "yes" : "no");
    const int id = StartSleeper(store_, kTrojanPath);
    ASSERT_NE(id, 0);
    Forget();
    recorded_->boxes.answers = {answer};
    EXPECT_EQ(Scan(false), MemoryScanResult::kTerminated);  // asked even without boxes
    EXPECT_FALSE(IsRunning(store_, id));
    EXPECT_EQ(fs::exists(trojan_), !yes);
    std::vector<std::string> expected = {std::string("Kill Trojan process:") + kTrojanLine};
    if (yes)
      expected.insert(expected.end(), {kTrojanLine, "[1].Found Trojan,Delete successfully:"});
    EXPECT_EQ(Lines(), expected);
    ASSERT_FALSE(recorded_->boxes.shown.empty());
    EXPECT_EQ(recorded_->boxes.shown[0].text, question);
    EXPECT_EQ(recorded_->boxes.shown[0].buttons, platform::MessageButtons::kYesNo);
  }
}

TEST_F(MemoryScanTest, EndsOnlyTheFirstOfTwoSuspects) {
  InstallSleeper(prefix_, "Windows/DemoTrojan.exe");
  const int first = StartSleeper(store_, kTrojanPath);
  const int second = StartSleeper(store_, u"\\Windows\\DemoTrojan.exe");
  ASSERT_NE(first, 0);
  ASSERT_NE(second, 0);
  EXPECT_EQ(Scan(false), MemoryScanResult::kTerminated);
  // The process list is in ascending ids: the lower one goes.
  EXPECT_FALSE(IsRunning(store_, std::min(first, second)));
  EXPECT_TRUE(IsRunning(store_, std::max(first, second)));
  EXPECT_EQ(Lines().size(), 3u);
}

TEST_F(MemoryScanTest, ASuspectThatCannotBeEndedGivesAnEmptyNoLineAndKeepsItsFile) {
  const int id = StartSleeper(store_, kTrojanPath);
  ASSERT_NE(id, 0);
  platform::ScopedFault refuse(platform::FaultPoint::kSignal);
  EXPECT_EQ(Scan(true), MemoryScanResult::kNotTerminated);
  EXPECT_EQ(Lines(), (std::vector<std::string>{"", "[1].Found Trojan,Can not delete:"}));
  EXPECT_TRUE(IsRunning(store_, id));
  EXPECT_TRUE(fs::exists(trojan_));
  ASSERT_EQ(recorded_->boxes.shown.size(), 1u);
  EXPECT_EQ(recorded_->boxes.shown[0].caption, "Warning");
}

TEST_F(MemoryScanTest, AProcessListThatCannotBeTakenIsReportedAndEndsNothing) {
  const int id = StartSleeper(store_, kTrojanPath);
  ASSERT_NE(id, 0);
  platform::ScopedFault unreadable(platform::FaultPoint::kProcessList);
  EXPECT_EQ(Scan(true), MemoryScanResult::kNoProcessList);
  EXPECT_TRUE(IsRunning(store_, id));
  const std::string text = "Memory not enough,please close other programs and try again!";
  EXPECT_EQ(Lines(), (std::vector<std::string>{text}));
  ASSERT_EQ(recorded_->boxes.shown.size(), 1u);
  EXPECT_EQ(recorded_->boxes.shown[0].text, text);
}

}  // namespace
}  // namespace kv::testing
