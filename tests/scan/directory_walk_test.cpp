// The directory scans on real stores: which files are checked (the
// extension and folder filters), the exact lines the full scan hands over,
// links, over-long paths, names that are not UTF-8, a folder removed
// mid-walk, and the stops: before the start, from the receiver (which also
// cancels the search in progress), from another thread mid-walk, and the
// silent walk's flag.
#include "scan/directory_walk.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "platform/engine_thread.h"
#include "platform/fault_injection.h"
#include "scan/run_scan.h"
#include "scan/signature_database.h"
#include "support/scan_recorders.h"
#include "support/temp_files.h"
#include "support/walk_lines.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;

constexpr char kInfected[] = "header TROJAN-MARK trailer";
constexpr char kClean[] = "nothing to see";
constexpr char kStopLine[] = "*>>>>>>>>User stop scan!";

class WalkTest : public ::testing::Test {
 protected:
  WalkTest() {
    database_.characterSignatures.push_back({"TROJAN-MARK", "Mark"});
    CompileSignatures(database_);
    session_.SetReceiver(&receiver_);
    session_.running.Set();
  }

  WalkOutcome FullWalk(std::u16string_view folder = u"") {
    return FullScanWalk(store_, matcher_, session_, folder);
  }
  fs::path Write(const fs::path& relative, std::string_view content = kInfected) {
    return prefix_.WriteStoreFile(relative, content);
  }
  std::vector<std::string> Lines() const { return receiver_.Utf8Lines(); }

  TempPrefix prefix_;
  const platform::Store& store_ = prefix_.Store();
  SignatureDatabase database_;
  ScanSession session_;
  RecordingReceiver receiver_;
  FileMatcher matcher_{store_, database_, &session_.running.Cancel()};
};

TEST_F(WalkTest, ChecksExactlyTheNamesThatPassTheFilters) {
  struct Row {
    const char* relative;
    bool checked;
  };
  // clang-format off
  const Row rows[] = {
      {"a.exe", true},            {"B.EXE", true},             {"c.dat", true},
      {"D.DAT", true},            {"e.cab", true},             {"F.CAB", true},
      {".exe", false},            {"setup.Exe", false},        {"x.eXE", false},
      {"pack.Cab", false},        {"notes.txt", false},        {"lib.dll", false},
      {"photo.jpg", false},       {"a.exe.txt", false},        {"exe", false},
      {"..backup/in.exe", false}, {"...three/in.exe", false},  {"..x/deep/in.exe", false},
      {".hidden/in.exe", true},   {"Sub/a.b.dat", true},       {"Sub/..dots.exe", true},
  };
  // clang-format on

  for (const Row& row : rows) Write(row.relative);
  EXPECT_EQ(FullWalk(), WalkOutcome::kCompleted);

  LineGroups expected;
  for (const Row& row : rows) {
    const bool present = fs::exists(prefix_.StorePath() / row.relative);
    EXPECT_EQ(present, !row.checked) << row.relative;
    if (!row.checked) continue;
    std::string path = "\\" + std::string(row.relative);
    std::replace(path.begin(), path.end(), '/', '\\');
    expected.push_back({path, "<OK>" + path});
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(GroupByFile(Lines()), expected);
}

TEST_F(WalkTest, HandsOverEachCheckedPathAndItsFinding) {
  Write("root.exe", kClean);
  Write("Windows/evil.exe");
  Write("Windows/System/deep.dat");
  Write("Windows/empty.cab", "");
  Write("Windows/stuck.cab");
  Write("Program Files/Tool/tool.exe", kClean);
  fs::create_directories(prefix_.StorePath() / "Empty Folder");
  // The deletion of stuck.cab fails: armed once its status line is in.
  receiver_.onLine = [](std::u16string_view line) {
    if (line == u"\\Windows\\stuck.cab") platform::FailNext(platform::FaultPoint::kDelete);
  };
  EXPECT_EQ(FullWalk(), WalkOutcome::kCompleted);

  const LineGroups expected = {
      {"\\Program Files\\Tool\\tool.exe"},
      {"\\Windows\\System\\deep.dat", "<OK>\\Windows\\System\\deep.dat"},
      {"\\Windows\\empty.cab"},
      {"\\Windows\\evil.exe", "<OK>\\Windows\\evil.exe"},
      {"\\Windows\\stuck.cab", "<NO>\\Windows\\stuck.cab"},
      {"\\root.exe"},
  };
  EXPECT_EQ(GroupByFile(Lines()), expected);
  EXPECT_TRUE(fs::exists(prefix_.StorePath() / "Windows/stuck.cab"));
  EXPECT_FALSE(fs::exists(prefix_.StorePath() / "Windows/evil.exe"));
  EXPECT_TRUE(fs::exists(prefix_.StorePath() / "root.exe"));
}

TEST_F(WalkTest, NeitherFollowsNorChecksLinks) {
  const TempDir outside;
  WriteFile(outside.Path() / "Folder/evil.exe", kInfected);
  WriteFile(outside.Path() / "evil.exe", kInfected);
  Write("Windows/real.exe");
  fs::create_directory_symlink(outside.Path() / "Folder", prefix_.StorePath() / "Linked");
  fs::create_symlink(outside.Path() / "evil.exe", prefix_.StorePath() / "Windows/link.exe");
  fs::create_symlink(prefix_.StorePath() / "Windows/real.exe", prefix_.StorePath() / "inner.exe");

  EXPECT_EQ(FullWalk(), WalkOutcome::kCompleted);
  EXPECT_EQ(Lines(), (std::vector<std::string>{"\\Windows\\real.exe", "<OK>\\Windows\\real.exe"}));
  EXPECT_TRUE(fs::exists(outside.Path() / "Folder/evil.exe"));
  EXPECT_TRUE(fs::exists(outside.Path() / "evil.exe"));
  EXPECT_TRUE(fs::is_symlink(prefix_.StorePath() / "Windows/link.exe"));
}

// A device path of exactly `units` UTF-16 units ending in "\\x.exe", made
// of folders of up to 49 `letter`s.
std::string PathOfLength(std::size_t units, char letter) {
  const std::string tail = "\\x.exe";
  std::string path;
  while (path.size() + tail.size() < units) {
    const std::size_t room = units - tail.size() - path.size() - 1;  // less its "\\"
    path += "\\" + std::string(std::min<std::size_t>(room, 49), letter);
  }
  return path + tail;
}

fs::path HostRelative(std::string devicePath) {
  std::replace(devicePath.begin(), devicePath.end(), '\\', '/');
  return devicePath.substr(1);
}

TEST_F(WalkTest, SkipsPathsLongerThanTheHandsetCanHold) {
  const std::string longest = PathOfLength(259, 'a');
  const std::string tooLong = PathOfLength(260, 'b');
  const std::string farTooLong = PathOfLength(300, 'c');
  ASSERT_EQ(longest.size() + tooLong.size() + farTooLong.size(), 259u + 260u + 300u);
  Write(HostRelative(longest));
  Write(HostRelative(tooLong));
  Write(HostRelative(farTooLong));

  EXPECT_EQ(FullWalk(), WalkOutcome::kCompleted);
  EXPECT_EQ(Lines(), (std::vector<std::string>{longest, "<OK>" + longest}));
  EXPECT_TRUE(fs::exists(prefix_.StorePath() / HostRelative(tooLong)));
  EXPECT_TRUE(fs::exists(prefix_.StorePath() / HostRelative(farTooLong)));
}

TEST_F(WalkTest, ChecksAndDeletesAFileWhoseNameIsNotUtf8) {
  const fs::path file = Write("Bad/evil\xff\xfe.exe");
  EXPECT_EQ(FullWalk(), WalkOutcome::kCompleted);
  // Each byte of the ill-formed name is the escape U+DC00 + byte.
  const std::u16string path = u"\\Bad\\evil\xDCFF\xDCFE.exe";
  EXPECT_EQ(receiver_.lines, (std::vector<std::u16string>{path, u"<OK>" + path}));
  EXPECT_FALSE(fs::exists(file));
}

TEST_F(WalkTest, ANameHoldingABackslashIsCheckedByItsDevicePath) {
  // The listed name "a\\b.exe" spells the path of b.exe in the folder a,
  // which does not exist: CheckFile on that path finds nothing to check.
  const fs::path odd = Write("a\\b.exe");
  EXPECT_EQ(FullWalk(), WalkOutcome::kCompleted);
  EXPECT_EQ(Lines(), (std::vector<std::string>{"\\a\\b.exe"}));
  EXPECT_TRUE(fs::exists(odd));
}

TEST_F(WalkTest, PassesOverAFolderRemovedBeforeItsTurn) {
  Write("One/x.exe");
  Write("Two/y.exe");
  // Whichever folder comes first removes the other.
  receiver_.onLine = [this](std::u16string_view line) {
    if (line == u"\\One\\x.exe") fs::remove_all(prefix_.StorePath() / "Two");
    if (line == u"\\Two\\y.exe") fs::remove_all(prefix_.StorePath() / "One");
  };
  EXPECT_EQ(FullWalk(), WalkOutcome::kCompleted);
  ASSERT_EQ(Lines().size(), 2u);
  EXPECT_EQ("<OK>" + Lines()[0], Lines()[1]);
}

TEST_F(WalkTest, AFolderThatCannotBeListedIsReportedAsSuch) {
  EXPECT_EQ(FullWalk(u"\\Missing"), WalkOutcome::kUnlistable);
  Write("file.exe");
  EXPECT_EQ(FullWalk(u"\\file.exe"), WalkOutcome::kUnlistable);
  EXPECT_TRUE(Lines().empty());
}

TEST_F(WalkTest, AStopBeforeTheStartSendsOnlyTheStopLine) {
  Write("Windows/evil.exe");
  session_.running.Stop();
  EXPECT_EQ(FullWalk(), WalkOutcome::kStopped);
  EXPECT_EQ(Lines(), (std::vector<std::string>{kStopLine}));
  EXPECT_TRUE(fs::exists(prefix_.StorePath() / "Windows/evil.exe"));
}

TEST_F(WalkTest, AStopDuringACheckCancelsItsSearchAndUnwindsEveryLevel) {
  // The mark lies far enough in for the search to look at its cancel token.
  Write("A/B/C/evil.exe", std::string(1 << 16, 'x') + kInfected);
  Write("A/B/C/D/later.exe");
  Write("A/B/second.exe");
  // The dialog's Stop, taken while the scan waits on the hand-over of the
  // path: the search that follows is cancelled, so the file is unreadable
  // (-1), neither deleted nor reported.
  receiver_.onLine = [this](std::u16string_view line) {
    if (line == u"\\A\\B\\C\\evil.exe") session_.running.Stop();
  };
  EXPECT_EQ(FullWalk(), WalkOutcome::kStopped);

  const std::vector<std::string> lines = Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), kStopLine);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), kStopLine), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "\\A\\B\\C\\evil.exe"), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "<OK>\\A\\B\\C\\evil.exe"), 0);
  EXPECT_TRUE(fs::exists(prefix_.StorePath() / "A/B/C/evil.exe"));
  // The stop took effect after the entry in progress: the line before the
  // stop line is that file's own.
  EXPECT_EQ(lines[lines.size() - 2], "\\A\\B\\C\\evil.exe");
}

class SilentWalkTest : public WalkTest {};

TEST_F(SilentWalkTest, DeletesWhatItFindsAndReportsNothing) {
  RunningFlag active;
  active.Set();
  Write("Windows/evil.exe");
  Write("Windows/System/evil.dat");
  Write("..skip/evil.exe");
  Write("notes.txt");
  Write("clean.exe", kClean);
  FileMatcher matcher(store_, database_, &active.Cancel());
  EXPECT_EQ(SilentScanWalk(store_, matcher, active, u""), WalkOutcome::kCompleted);
  EXPECT_FALSE(fs::exists(prefix_.StorePath() / "Windows/evil.exe"));
  EXPECT_FALSE(fs::exists(prefix_.StorePath() / "Windows/System/evil.dat"));
  EXPECT_TRUE(fs::exists(prefix_.StorePath() / "..skip/evil.exe"));
  EXPECT_TRUE(fs::exists(prefix_.StorePath() / "notes.txt"));
  EXPECT_TRUE(fs::exists(prefix_.StorePath() / "clean.exe"));
  EXPECT_TRUE(Lines().empty());
}

TEST_F(SilentWalkTest, AClearedFlagLeavesEverythingUnvisited) {
  RunningFlag active;  // never set: the background scan was stopped already
  Write("Windows/evil.exe");
  FileMatcher matcher(store_, database_, &active.Cancel());
  EXPECT_EQ(SilentScanWalk(store_, matcher, active, u""), WalkOutcome::kStopped);
  EXPECT_TRUE(fs::exists(prefix_.StorePath() / "Windows/evil.exe"));
  EXPECT_EQ(SilentScanWalk(store_, matcher, active, u"\\Missing"), WalkOutcome::kStopped);
}

// The silent walk is the shared walk with a checking visitor; here the
// visitor also clears the flag after its first file, as the registry watch
// would: the walk unwinds at once and leaves the rest unvisited.
TEST_F(SilentWalkTest, AFlagClearedMidwayLeavesTheRestUnvisited) {
  RunningFlag active;
  active.Set();
  for (const char* folder : {"A", "B", "C"}) {
    for (const char* file : {"1.exe", "2.exe", "3.exe"}) Write(fs::path(folder) / file);
  }
  FileMatcher matcher(store_, database_, &active.Cancel());
  int checked = 0;
  const WalkOutcome outcome = WalkStoreFolder(
      store_, active, u"",
      [&](std::u16string_view path, const platform::FileFinder& listing, std::u16string_view name) {
        (void)CheckListedFile(matcher, path, listing, name);
        ++checked;
        active.Stop();
      });
  EXPECT_EQ(outcome, WalkOutcome::kStopped);
  EXPECT_EQ(checked, 1);
  int remaining = 0;
  for (const auto& entry : fs::recursive_directory_iterator(prefix_.StorePath())) {
    remaining += entry.is_regular_file() ? 1 : 0;
  }
  EXPECT_EQ(remaining, 8);
}

// The dialog's stop, from another thread, while the scan thread hands a
// line over: one stop line, then nothing, not even the closing lines.
TEST(FullScanThreaded, AStopFromAnotherThreadEndsTheScanWithOneStopLine) {
  TempPrefix prefix;
  for (int folder = 0; folder < 40; ++folder) {
    for (int file = 0; file < 25; ++file) {
      prefix.WriteStoreFile("F" + std::to_string(folder) + "/f" + std::to_string(file) + ".exe",
                            kClean);
    }
  }
  auto database = std::make_shared<SignatureDatabase>();
  database->characterSignatures.push_back({"TROJAN-MARK", "Mark"});
  CompileSignatures(*database);
  ScanSession session;
  session.mode = ScanMode::kFull;
  RecordingReceiver receiver;
  session.SetReceiver(&receiver);
  RecordedOutputs outputs;

  std::promise<void> reachedLine50;
  std::promise<void> stopped;
  std::shared_future<void> stoppedFuture = stopped.get_future().share();
  receiver.onLine = [&](std::u16string_view) {
    if (receiver.lines.size() != 50) return;
    reachedLine50.set_value();
    stoppedFuture.wait();
  };
  ScanOutcome outcome = ScanOutcome::kFinished;
  platform::EngineThread scanThread;
  ASSERT_TRUE(scanThread.Start(
      [&] { outcome = RunScan(prefix.Store(), database, session, outputs.outputs); }));
  reachedLine50.get_future().wait();
  session.running.Stop();
  stopped.set_value();
  scanThread.Join();

  EXPECT_EQ(outcome, ScanOutcome::kStopped);
  const std::vector<std::string> lines = receiver.Utf8Lines();
  ASSERT_EQ(lines.size(), 51u);
  EXPECT_EQ(lines.back(), kStopLine);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), kStopLine), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "&"), 0);
  EXPECT_FALSE(session.running.IsSet());
}

}  // namespace
}  // namespace kv::testing
