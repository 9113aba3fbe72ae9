// The scan driver on real stores and real database files: the events and
// handset lines of every mode, the file-signature pass with its delete
// lists, files that cannot be checked, a scan without a database, a stop
// that comes before the walk, and a failure of the host inside a scan.
#include "scan/run_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/fault_injection.h"
#include "platform/files.h"
#include "platform/limits.h"
#include "support/database_writer.h"
#include "support/scan_recorders.h"
#include "support/temp_files.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const std::string kRule(38, '-');
constexpr char kNoTrojanInMemory[] = "There's no Trojan in memory!";
constexpr char kDated[] = "2010/7/5 09:03:05 ";

class RunScanTest : public ::testing::Test {
 protected:
  // The snapshot of a VirusDB.dat holding the content signature "Evil", then
  // `lines`; it is also written to the store, where a reload would find it.
  void UseDatabase(const Lines& lines) {
    std::string file = "20102\r\n" + StoredLine("[VirusCharacter]") + "\r\n" +
                       StoredLine(CharacterLine("Evil", "EVIL-MARK")) + "\r\n";
    for (const std::string& plain : lines) file += StoredLine(plain) + "\r\n";
    prefix_.WriteStoreFile(kDatabase, file);
    database_ = SignatureDatabase::Build(file, SignatureDatabase());
  }

  Lines Run(ScanMode mode) {
    recorded_ = std::make_unique<RecordedScan>();
    ScanEvents events = recorded_->Events();
    outcome_ = RunScan(store_, database_, mode, stop_, events, recorded_->outputs);
    return recorded_->observer.lines;
  }
  const Lines& Events() const { return recorded_->observer.events; }
  fs::path Write(const fs::path& relative, std::string_view content = "..EVIL-MARK..") {
    return prefix_.WriteStoreFile(relative, content);
  }
  bool Exists(const fs::path& relative) const { return fs::exists(prefix_.StorePath() / relative); }

  static constexpr char kDatabase[] = "Program Files/Quellbrin/VirusDB.dat";
  TempPrefix prefix_;
  const platform::Store& store_ = prefix_.Store();
  std::shared_ptr<const SignatureDatabase> database_ = std::make_shared<SignatureDatabase>();
  StopToken stop_;
  std::unique_ptr<RecordedScan> recorded_;
  ScanOutcome outcome_ = ScanOutcome::kFailed;
};

TEST_F(RunScanTest, EachModeListsItsLinesBetweenTheStartAndTheClosingLines) {
  UseDatabase({});
  const struct {
    ScanMode mode;
    Lines lines;
  } rows[] = {
      {ScanMode::kMemory,
       {std::string(kDated) + "Start Memory scanning...", kRule, kNoTrojanInMemory, kRule,
        std::string(kDated) + "Memory scan finished!"}},
      {ScanMode::kFast,
       {std::string(kDated) + "Start Fast scanning...", kRule, kNoTrojanInMemory,
        "There's no Trojan!", kRule, std::string(kDated) + "Fast scan finished!"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.mode));
    EXPECT_EQ(Run(row.mode), row.lines);
    EXPECT_EQ(outcome_, ScanOutcome::kFinished);
  }
  EXPECT_TRUE(recorded_->boxes.shown.empty());
}

TEST_F(RunScanTest, WithoutACharacterSignatureNothingIsCheckedAndTheScanSaysSo) {
  Write("Windows/evil.exe");
  for (const ScanMode mode : {ScanMode::kFast, ScanMode::kFull, ScanMode::kBackground}) {
    SCOPED_TRACE(static_cast<int>(mode));
    const Lines lines = Run(mode);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Virus DB is not loaded!"), lines.end());
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "There's no Trojan!"), lines.end());
    EXPECT_EQ(outcome_, ScanOutcome::kNoDatabase);
    EXPECT_EQ(Events().back(), "finished checked=0 infected=0 not-checked=0 failed=0");
  }
  EXPECT_TRUE(Exists("Windows/evil.exe"));
}

TEST_F(RunScanTest, TheFastScanRemovesNamedFilesThatHoldASignatureOrSaysItCannot) {
  UseDatabase({"[VirusFile]", "\\Windows\\evil.exe", "\\Windows\\missing.exe",
               "\\Windows\\clean.exe", "\\Windows\\empty.exe"});
  Write("Windows/clean.exe", "nothing here");
  Write("Windows/empty.exe", "");
  for (const bool refuse : {true, false}) {
    const fs::path evil = Write("Windows/evil.exe");
    std::optional<platform::ScopedFault> fault;
    if (refuse) fault.emplace(platform::FaultPoint::kQuarantineMove);
    if (!refuse) fs::permissions(evil, fs::perms::owner_write, fs::perm_options::remove);
    const Lines lines = Run(ScanMode::kFast);
    // A found file leaves out the line that there is no Trojan.
    EXPECT_EQ(Lines(lines.begin() + 2, lines.end() - 2),
              (Lines{kNoTrojanInMemory, "\\Windows\\evil.exe",
                     refuse ? "[1].Found Trojan,Can not delete:"
                            : "[1].Found Trojan,Delete successfully:"}));
    EXPECT_EQ(Exists("Windows/evil.exe"), refuse);
    EXPECT_EQ(Events().back(), std::string("finished checked=3 infected=1 not-checked=0 failed=") +
                                   (refuse ? "1" : "0"));
  }
  EXPECT_TRUE(Exists("Windows/clean.exe"));
}

TEST_F(RunScanTest, AFullScanRemovesWhatItFindsAndListsWhatItCouldNotCheck) {
  Write("Windows/evil.exe");
  Write("clean.dat", "nothing here");
  Write("locked.exe", "..EVIL-MARK..");
  const fs::path large = Write("large.cab", "");
  fs::resize_file(large, limits::kMaxScannedFileBytes + 1);  // sparse: nothing is written
  const std::string deep = std::string(limits::kMaxDevicePathUnits, 'd');
  UseDatabase({});
  platform::Result<platform::File> holder = platform::File::OpenForRead(
      store_, u"\\locked.exe", platform::Sharing::kNone);  // another opener's lock
  ASSERT_EQ(holder.status, platform::FileStatus::kOk);

  Lines lines = Run(ScanMode::kFull);
  EXPECT_EQ(outcome_, ScanOutcome::kFinished);
  EXPECT_EQ(Lines(lines.end() - 2, lines.end()),
            (Lines{kRule, std::string(kDated) + "Full scan finished!"}));
  lines = Lines(lines.begin() + 2, lines.end() - 2);
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(lines, (Lines{"Can not check:\\large.cab", "Can not check:\\locked.exe",
                          "[1].Found Trojan,Delete successfully:", "\\Windows\\evil.exe"}));
  Lines verdicts;
  for (const std::string& event : Events()) {
    if (event.starts_with("verdict")) verdicts.push_back(event);
  }
  std::sort(verdicts.begin(), verdicts.end());
  EXPECT_EQ(verdicts, (Lines{"verdict \\Program Files\\Quellbrin\\VirusDB.dat clean",
                             "verdict \\Windows\\evil.exe infected 1", "verdict \\clean.dat clean",
                             "verdict \\large.cab not checked (too large)",
                             "verdict \\locked.exe not checked (locked)"}));
  EXPECT_EQ(Events().back(), "finished checked=3 infected=1 not-checked=2 failed=0");
  EXPECT_TRUE(Exists("locked.exe"));
  EXPECT_TRUE(recorded_->clock.pauses.empty());
}

TEST_F(RunScanTest, AStopBeforeTheWalkBeginsIsHonoured) {
  UseDatabase({});
  Write("Windows/evil.exe");
  stop_.Stop();
  EXPECT_EQ(Run(ScanMode::kFull), (Lines{std::string(kDated) + "Start Full scanning...", kRule,
                                         ">>>>>>>>User stop scan!"}));
  EXPECT_EQ(outcome_, ScanOutcome::kStopped);
  EXPECT_EQ(Events().back(), "stopped-finished checked=0 infected=0 not-checked=0 failed=0");
  EXPECT_TRUE(Exists("Windows/evil.exe"));
}

TEST_F(RunScanTest, AFailureOfTheHostEndsTheScanWithItsOutcomeInsteadOfTheProcess) {
  UseDatabase({});
  Write("Windows/evil.exe");
  const platform::ScopedFault noMemory(platform::FaultPoint::kListingMemory);
  const Lines lines = Run(ScanMode::kFull);
  EXPECT_EQ(outcome_, ScanOutcome::kFailed);
  EXPECT_EQ(lines[2], "Scan failed:std::bad_alloc");
  EXPECT_EQ(lines.back(), std::string(kDated) + "Full scan finished!");
}

// Delete lists: the Trojan "\Windows\evil.exe" matches the signature Evil.
class DeleteListTest : public RunScanTest {
 protected:
  void UseDeleteLists(const Lines& deleteLines) {
    Lines lines = {CharacterLine("Other", "OTHER-MARK"), "[VirusFile]", "\\Windows\\evil.exe",
                   "[DELETE_FILES]"};
    lines.insert(lines.end(), deleteLines.begin(), deleteLines.end());
    UseDatabase(lines);
    Write("Windows/evil.exe");
    for (const char* companion :
         {"comp1.dat", "comp2.dat", "odd[1].dat", "other.dat", "later.dat", "never.dat"}) {
      Write(fs::path("Windows") / companion, "companion");
    }
  }
  Lines Remaining() const {
    Lines names;
    for (const auto& entry : fs::directory_iterator(prefix_.StorePath() / "Windows")) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(DeleteListTest, RemovesTheFirstMatchingGroupsCompanionsBeforeTheTrojan) {
  const struct {
    Lines lists;
    Lines remaining;
  } rows[] = {
      {{"[Other]", "\\Windows\\other.dat", "[Evil]", "\\Windows\\comp1.dat", "\\windows\\COMP2.DAT",
        "[Later]", "\\Windows\\later.dat", "[Evil]", "\\Windows\\never.dat"},
       {"later.dat", "never.dat", "odd[1].dat", "other.dat"}},
      // A path holding a bracket ends the group.
      {{"[Evil]", "\\Windows\\comp1.dat", "\\Windows\\odd[1].dat", "\\Windows\\comp2.dat"},
       {"comp2.dat", "later.dat", "never.dat", "odd[1].dat", "other.dat"}},
      // Group names are matched with their case: the Trojan goes alone.
      {{"[Other]", "\\Windows\\other.dat", "[evil]", "\\Windows\\comp1.dat"},
       {"comp1.dat", "comp2.dat", "later.dat", "never.dat", "odd[1].dat", "other.dat"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.lists[1]);
    UseDeleteLists(row.lists);
    Lines atTheTrojan;
    recorded_ = std::make_unique<RecordedScan>();
    recorded_->observer.onEvent = [&](const ScanEvent& event) {
      const auto* action = std::get_if<ActionTaken>(&event);
      if (action != nullptr && action->kind == ActionKind::kDeleteInfected) {
        atTheTrojan = Remaining();
      }
    };
    ScanEvents events = recorded_->Events();
    (void)RunScan(store_, database_, ScanMode::kFast, stop_, events, recorded_->outputs);
    EXPECT_EQ(Remaining(), row.remaining);
    EXPECT_EQ(atTheTrojan, row.remaining);  // companions and Trojan gone before the event
  }
}

TEST_F(DeleteListTest, CompanionsComeFromTheSnapshotAndEachRemovalIsListed) {
  UseDeleteLists({"[Evil]", "\\Windows\\comp1.dat", "\\Windows\\gone.dat"});
  // The file on disk no longer holds the lists: the scan's snapshot does.
  prefix_.WriteStoreFile(kDatabase, "1\r\n");
  const Lines lines = Run(ScanMode::kFast);
  EXPECT_EQ(Lines(lines.begin() + 3, lines.end() - 2),
            (Lines{"Delete related file:\\Windows\\comp1.dat", "\\Windows\\evil.exe",
                   "[1].Found Trojan,Delete successfully:"}));
  EXPECT_FALSE(Exists("Windows/comp1.dat"));
}

TEST_F(DeleteListTest, CompanionsOutsideTheStoreAreNeverDeleted) {
  const TempDir outside;
  WriteFile(outside.Path() / "keep.dat", "outside");
  fs::create_directory_symlink(outside.Path(), prefix_.StorePath() / "Out");
  UseDeleteLists({"[Evil]", "\\..\\..\\keep.dat", "\\Out\\keep.dat", "\\Windows\\comp1.dat"});
  (void)Run(ScanMode::kFast);
  EXPECT_TRUE(fs::exists(outside.Path() / "keep.dat"));
  EXPECT_FALSE(Exists("Windows/comp1.dat"));
}

}  // namespace
}  // namespace kv::testing
