// The memory scan against real processes: copies of /bin/sleep started from
// the store as "DemoTrojan.exe", with a marker appended that a content
// signature finds. Which process is ended, what becomes of its file, the
// question asked when no signature is found, and the failures reported.
#include "scan/memory_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
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
using Lines = std::vector<std::string>;

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

std::vector<ProcessEntry> Processes(const Store& store) {
  Result<std::vector<ProcessEntry>> processes = TakeProcessSnapshot(store);
  EXPECT_TRUE(processes.Ok());
  return std::move(processes.value);
}

bool IsRunning(const Store& store, int id) {
  return std::ranges::any_of(Processes(store), [id](const ProcessEntry& p) { return p.id == id; });
}

// Starts the store program at `devicePath`; its id once it is listed, or 0.
int StartSleeper(const Store& store, std::u16string_view devicePath) {
  if (!StartStoreProgram(store, devicePath, u"600")) return 0;
  for (int attempt = 0; attempt < 500; ++attempt, SleepMilliseconds(10)) {
    for (const ProcessEntry& process : Processes(store)) {
      const Result<ProcessHandle> handle = ProcessHandle::Open(store, process.id);
      if (handle.Ok() && handle.value.ExecutablePath() == devicePath) return process.id;
    }
  }
  return 0;
}

// A store with the Trojan installed read-only (a removal clears that), and
// the surroundings of one memory scan; it ends every process left running.
struct TrojanStore {
  TrojanStore() { fs::permissions(trojan, fs::perms::owner_write, fs::perm_options::remove); }
  ~TrojanStore() {
    for (const ProcessEntry& process : Processes(store)) {
      Result<ProcessHandle> handle = ProcessHandle::Open(store, process.id);
      if (handle.Ok()) (void)handle.value.Terminate();
    }
  }

  // With the process signature `processName` and the content signature
  // `pattern`.
  MemoryScanResult Scan(const std::string& processName, const std::string& pattern,
                        bool showBoxes) {
    const std::string file =
        DatabaseFile("1", {CharacterLine("Demo", pattern), "[VirusProcess]", processName});
    const auto database = SignatureDatabase::Build(file, SignatureDatabase());
    FileMatcher matcher(store, *database);
    const ScanContext context{store, *database,       matcher,          ScanMode::kMemory,
                              stop,  recorded.events, recorded.outputs, 1};
    return MemoryScan(context, showBoxes);
  }

  TempPrefix prefix;
  const Store& store = prefix.Store();
  fs::path trojan = InstallSleeper(prefix, "Program Files/Tool/DemoTrojan.exe");
  StopToken stop;
  RecordedScan recorded;
};

// How a row's scan runs: with boxes or without, answering the question, or
// with the host refusing the signal or the process list.
enum class Way { kBoxes, kNoBoxes, kAnswerNo, kAnswerYes, kSignalRefused, kNoProcessList };

TEST(MemoryScan, EndsTheSuspectThenRemovesItsFileOrAsksOrSaysWhyNot) {
  using enum MemoryScanResult;
  const std::string kill = std::string("Kill Trojan process:") + kTrojanLine;
  const Lines removed = {kill, kTrojanLine, "[1].Found Trojan,Delete successfully:"};
  const Lines noTrojan = {"There's no Trojan in memory!"};
  const std::string noneBox = "Information|Found no Trojans!";
  const std::string question = std::string("Question|Found a program looks like Trojan:\n") +
                               kTrojanLine + "\nDelete it? (Yes/No)";
  const Lines notEnded = {"", "[1].Found Trojan,Can not delete:"};
  const std::string notKilledBox =
      "Warning|Trojan found,but it can't be killed,please delete manually or restart system and "
      "try again!";
  const std::string memory = "Memory not enough,please close other programs and try again!";
  const std::string memoryBox = "Warning|" + memory;
  const std::string exe = "DemoTrojan.exe";
  const std::string other = "NOT-IN-THE-FILE";  // a content signature the file does not hold
  const struct {
    std::string processName;
    std::string pattern;
    Way way;
    MemoryScanResult result;
    Lines lines;
    bool ended;
    bool fileRemoved;
    Lines boxes;
  } rows[] = {
      {exe, kMarker, Way::kNoBoxes, kTerminated, removed, true, true, {}},
      {"demotrojan.exe", kMarker, Way::kBoxes, kNoSuspect, noTrojan, false, false, {noneBox}},
      // Asked even without boxes.
      {exe, other, Way::kAnswerNo, kTerminated, {kill}, true, false, {question}},
      {exe, other, Way::kAnswerYes, kTerminated, removed, true, true, {question}},
      {exe, kMarker, Way::kSignalRefused, kNotTerminated, notEnded, false, false, {notKilledBox}},
      {exe, kMarker, Way::kNoProcessList, kNoProcessList, {memory}, false, false, {memoryBox}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::Message() << "row " << &row - rows);
    TrojanStore trojan;
    const int id = StartSleeper(trojan.store, kTrojanPath);
    ASSERT_NE(id, 0);
    std::optional<ScopedFault> fault;
    if (row.way == Way::kSignalRefused) fault.emplace(FaultPoint::kSignal);
    if (row.way == Way::kNoProcessList) fault.emplace(FaultPoint::kProcessList);
    if (row.way == Way::kAnswerNo) trojan.recorded.boxes.answers = {MessageAnswer::kNo};
    if (row.way == Way::kAnswerYes) trojan.recorded.boxes.answers = {MessageAnswer::kYes};
    const bool showBoxes =
        row.way != Way::kNoBoxes && row.way != Way::kAnswerNo && row.way != Way::kAnswerYes;
    EXPECT_EQ(trojan.Scan(row.processName, row.pattern, showBoxes), row.result);
    EXPECT_EQ(trojan.recorded.observer.lines, row.lines);
    EXPECT_EQ(IsRunning(trojan.store, id), !row.ended);
    EXPECT_EQ(fs::exists(trojan.trojan), !row.fileRemoved);
    EXPECT_EQ(trojan.recorded.boxes.Texts(), row.boxes);
    EXPECT_EQ(trojan.recorded.clock.pauses, (std::vector<int>{500}));
  }
}

TEST(MemoryScan, EndsOnlyTheFirstOfTwoSuspects) {
  TrojanStore trojan;
  InstallSleeper(trojan.prefix, "Windows/DemoTrojan.exe");
  const int first = StartSleeper(trojan.store, kTrojanPath);
  const int second = StartSleeper(trojan.store, u"\\Windows\\DemoTrojan.exe");
  ASSERT_NE(first, 0);
  ASSERT_NE(second, 0);
  EXPECT_EQ(trojan.Scan("DemoTrojan.exe", kMarker, false), MemoryScanResult::kTerminated);
  // The process list is in ascending ids: the lower one goes.
  EXPECT_FALSE(IsRunning(trojan.store, std::min(first, second)));
  EXPECT_TRUE(IsRunning(trojan.store, std::max(first, second)));
  EXPECT_EQ(trojan.recorded.observer.lines.size(), 3u);
}

}  // namespace
}  // namespace kv::testing
