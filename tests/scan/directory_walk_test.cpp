// The store walks: which names pass the extension and folder filters, then
// on real stores what is reported and removed, over-long paths, a name
// holding a backslash, a folder removed mid-walk, and the stops: during a
// check (which also cancels the search in progress) and from a pool's
// checking thread (a stop from another thread: scan_pause_test). Links and
// names that are not UTF-8 are the listing's (store_files_test).
#include "scan/directory_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "database/signature_database.h"
#include "platform/limits.h"
#include "platform/quarantine.h"
#include "scan/run_scan.h"
#include "scan/store_walk.h"
#include "support/scan_recorders.h"
#include "support/temp_files.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

constexpr char kInfected[] = "header TROJAN-MARK trailer";
constexpr char kInfectedSha256[] =
    "083ab287327c1fa6f954b652637253257c92a41049b43e9f408ced405aacca49";
constexpr char kClean[] = "nothing to see";

std::shared_ptr<const SignatureDatabase> MarkDatabase() {
  return SignatureDatabase::OfCharacterSignatures({{"TROJAN-MARK", "Mark"}});
}

class WalkTest : public ::testing::Test {
 protected:
  WalkOutcome FullWalk(std::u16string_view folder = u"") {
    const ScanContext context{store_, *database_,       matcher_,          ScanMode::kFull,
                              stop_,  recorded_.events, recorded_.outputs, 1};
    return ScanStoreFiles(context, folder);
  }
  fs::path Write(const fs::path& relative, std::string_view content = kInfected) {
    return prefix_.WriteStoreFile(relative, content);
  }
  // Each file's verdict and what became of it ("\a.exe: infected 1
  // removed"), sorted: the host lists a folder in its own order.
  Lines Outcomes() const {
    Lines outcomes;
    for (const std::string& event : recorded_.observer.events) {
      if (event.starts_with("verdict ")) {
        outcomes.push_back(event.substr(8));
      } else if (event.starts_with("action ")) {
        outcomes.back() += event.ends_with(" ok") ? " removed" : " kept";
      }
    }
    std::sort(outcomes.begin(), outcomes.end());
    return outcomes;
  }
  const Lines& Events() const { return recorded_.observer.events; }

  TempPrefix prefix_;
  const Store& store_ = prefix_.Store();
  std::shared_ptr<const SignatureDatabase> database_ = MarkDatabase();
  StopToken stop_;
  RecordedScan recorded_;
  FileMatcher matcher_{store_, *database_, &stop_.Cancel()};
};

TEST(StoreWalkFilters, OnlyTheseFileNamesAreCheckedAndTheseFoldersEntered) {
  // clang-format off
  const std::pair<std::u16string_view, bool> files[] = {
      {u"a.exe", true},       {u"B.EXE", true},      {u"c.dat", true},       {u"D.DAT", true},
      {u"e.cab", true},       {u"F.CAB", true},      {u"a.b.dat", true},     {u"..dots.exe", true},
      {u".exe", false},       {u"setup.Exe", false}, {u"x.eXE", false},      {u"pack.Cab", false},
      {u"notes.txt", false},  {u"lib.dll", false},   {u"a.exe.txt", false},  {u"exe", false}};
  const std::pair<std::u16string_view, bool> folders[] = {
      {u"..backup", false}, {u"...three", false}, {u"..", false}, {u".hidden", true}, {u"Sub", true}};
  // clang-format on
  for (const auto& [name, checked] : files)
    EXPECT_EQ(PassesExtensionFilter(name), checked) << Utf8(name);
  for (const auto& [name, entered] : folders)
    EXPECT_EQ(IsWalkedFolder(name), entered) << Utf8(name);
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

TEST_F(WalkTest, PathsLongerThanADevicePathAreReportedNotChecked) {
  const std::string longest = PathOfLength(259, 'a');
  const std::string tooLong = PathOfLength(260, 'b');
  Write(HostRelative(longest));
  Write(HostRelative(tooLong));
  // A folder too long to enter is reported whole, with what it holds.
  const std::string deepFolder = PathOfLength(300, 'c').substr(0, 270);
  Write(HostRelative(deepFolder + "\\in.exe"));

  EXPECT_EQ(FullWalk(), WalkOutcome::kCompleted);
  const std::string tooLongText = " not checked (name too long for the store)";
  EXPECT_EQ(Outcomes(), (Lines{longest + " infected 1 removed", tooLong + tooLongText,
                               deepFolder + tooLongText}));
}

TEST_F(WalkTest, PathsThatNameNoFolderAreUnlistableAndABackslashNameIsADevicePath) {
  // The listed name "a\\b.exe" spells the path of b.exe in the folder a,
  // which does not exist: that path cannot be checked.
  Write("a\\b.exe");
  EXPECT_EQ(FullWalk(u"\\Missing"), WalkOutcome::kUnlistable);
  Write("file.exe");
  EXPECT_EQ(FullWalk(u"\\file.exe"), WalkOutcome::kUnlistable);
  EXPECT_TRUE(Events().empty());
  EXPECT_EQ(FullWalk(), WalkOutcome::kCompleted);
  EXPECT_EQ(Outcomes(),
            (Lines{"\\a\\b.exe not checked (unreadable)", "\\file.exe infected 1 removed"}));
}

TEST_F(WalkTest, PassesOverAFolderRemovedBeforeItsTurn) {
  Write("One/x.exe");
  Write("Two/y.exe");
  // Whichever folder comes first removes the other.
  recorded_.observer.onEvent = [this](const ScanEvent& event) {
    const auto* checking = std::get_if<FileChecking>(&event);
    if (checking == nullptr) return;
    if (checking->path == u"\\One\\x.exe") fs::remove_all(prefix_.StorePath() / "Two");
    if (checking->path == u"\\Two\\y.exe") fs::remove_all(prefix_.StorePath() / "One");
  };
  EXPECT_EQ(FullWalk(), WalkOutcome::kCompleted);
  ASSERT_EQ(Outcomes().size(), 1u);
  EXPECT_TRUE(Outcomes()[0].ends_with(" infected 1 removed"));
}

TEST_F(WalkTest, AStopDuringACheckCancelsItsSearchAndUnwindsEveryLevel) {
  // The mark lies far enough in for the search to look at its cancel token.
  Write("A/B/C/evil.exe", std::string(1 << 16, 'x') + kInfected);
  // Clean, so that no removal is still on its way when evil.exe is announced.
  Write("A/B/C/D/later.exe", kClean);
  Write("A/B/second.exe", kClean);
  // The dialog's Stop, taken while the scan waits on the announcement of
  // the file: the search that follows is cancelled, so the file is not
  // checked, and neither removed nor passed as clean.
  recorded_.observer.onEvent = [this](const ScanEvent& event) {
    const auto* checking = std::get_if<FileChecking>(&event);
    if (checking != nullptr && checking->path == u"\\A\\B\\C\\evil.exe") stop_.Stop();
  };
  EXPECT_EQ(FullWalk(), WalkOutcome::kStopped);
  ASSERT_GE(Events().size(), 3u);
  EXPECT_EQ(Lines(Events().end() - 3, Events().end()),
            (Lines{"checking \\A\\B\\C\\evil.exe",
                   "verdict \\A\\B\\C\\evil.exe not checked (cancelled)", "stopped"}));
  EXPECT_TRUE(fs::exists(prefix_.StorePath() / "A/B/C/evil.exe"));
}

// The same store scanned with 1, 2 and 4 checking threads gives the same
// events in the same order: verdicts come back in walk order, and removals
// are made in that order by the scan's own thread.
TEST(PooledScanThreaded, AnyNumberOfThreadsGivesTheSameEvents) {
  const auto scan = [](unsigned threads) {
    TempPrefix prefix;
    for (int folder = 0; folder < 6; ++folder) {
      for (int file = 0; file < 12; ++file) {
        const std::string name = "F" + std::to_string(folder) + "/f" + std::to_string(file);
        prefix.WriteStoreFile(name + ".exe", file % 3 == 0 ? kInfected : kClean);
        prefix.WriteStoreFile(name + ".txt", kInfected);  // never checked
      }
    }
    prefix.WriteStoreFile("F2/empty.dat", "");
    RecordedScan recorded;
    const StopToken stop;
    EXPECT_EQ(RunScan(prefix.Store(), MarkDatabase(), ScanMode::kFull, stop, recorded.events,
                      recorded.outputs, threads),
              ScanOutcome::kFinished);
    // Each record's digest is that of the bytes the check read.
    const Result<QuarantineListing> listed = ListQuarantine(prefix.Store());
    EXPECT_EQ(listed.value.items.size(), 24u);
    for (const QuarantineItem& item : listed.value.items) {
      EXPECT_EQ(item.record.sha256, kInfectedSha256);
    }
    return recorded.observer.events;
  };
  const Lines one = scan(1);
  EXPECT_EQ(one.back(), "finished checked=73 infected=24 not-checked=0 failed=0");
  EXPECT_EQ(scan(2), one);
  EXPECT_EQ(scan(4), one);
}

// A stop while four threads check: the walk hands out nothing more, the
// files in flight come back (cancelled or checked), and the scan ends.
TEST(PooledScanThreaded, AStopEndsAPooledScanWithFewFilesAfterIt) {
  TempPrefix prefix;
  for (int file = 0; file < 400; ++file) {
    prefix.WriteStoreFile("F/f" + std::to_string(file) + ".exe", kClean);
  }
  RecordedScan recorded;
  StopToken stop;
  std::size_t verdicts = 0;  // every verdict, not only those before the stop
  recorded.observer.onEvent = [&](const ScanEvent& event) {
    if (std::holds_alternative<FileVerdict>(event) && ++verdicts == 20) stop.Stop();
  };
  EXPECT_EQ(RunScan(prefix.Store(), MarkDatabase(), ScanMode::kFull, stop, recorded.events,
                    recorded.outputs, 4),
            ScanOutcome::kStopped);
  // Those in flight, and the one being opened.
  EXPECT_LE(verdicts, 20 + 4 * limits::kFilesInFlightPerThread + 1);
  const Lines& dump = recorded.observer.events;
  EXPECT_EQ(dump[dump.size() - 2], "stopped");
}

}  // namespace
}  // namespace kv::testing
