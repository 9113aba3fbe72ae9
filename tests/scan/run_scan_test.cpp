// The scan driver on real stores and real database files: the events and
// handset lines of every mode, the file-signature pass with its delete
// lists, files that cannot be checked, a scan without a database, and a
// failure of the host inside a scan.
#include "scan/run_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/fault_injection.h"
#include "platform/files.h"
#include "support/database_writer.h"
#include "support/scan_recorders.h"
#include "support/temp_files.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const std::string kRule(38, '-');
constexpr char kNoTrojanInMemory[] = "There's no Trojan in memory!";
const std::string kDated = "2010/7/5 09:03:05 ";
constexpr char kNoDb[] = "Virus DB is not loaded!";

class RunScanTest : public ::testing::Test {
 protected:
  // The snapshot of a VirusDB.dat holding the content signature "Evil", then
  // `lines`; it is also written to the store, where a reload would find it.
  void UseDatabase(Lines lines) {
    lines.insert(lines.begin(), {"[VirusCharacter]", CharacterLine("Evil", "EVIL-MARK")});
    const std::string file = DatabaseFile("20102", lines);
    prefix_.WriteDatabase(file);
    database_ = SignatureDatabase::Build(file, SignatureDatabase());
  }

  Lines Run(ScanMode mode) {
    recorded_ = std::make_unique<RecordedScan>();
    recorded_->observer.onEvent = onEvent_;
    outcome_ = RunScan(store_, database_, mode, stop_, recorded_->events, recorded_->outputs);
    return recorded_->observer.lines;
  }
  const Lines& Events() const { return recorded_->observer.events; }
  fs::path Write(const fs::path& relative, std::string_view content = "..EVIL-MARK..") {
    return prefix_.WriteStoreFile(relative, content);
  }
  bool Exists(const fs::path& relative) const { return fs::exists(prefix_.StorePath() / relative); }

  TempPrefix prefix_;
  const Store& store_ = prefix_.Store();
  std::shared_ptr<const SignatureDatabase> database_ = std::make_shared<SignatureDatabase>();
  StopToken stop_;
  std::unique_ptr<RecordedScan> recorded_;
  std::function<void(const ScanEvent&)> onEvent_;  // given to each run's observer
  ScanOutcome outcome_ = ScanOutcome::kFailed;
};

// With the database and without one: then nothing is checked, the file is
// left alone, and the scan says so.
TEST_F(RunScanTest, EachModeListsItsLinesBetweenTheStartAndTheClosingLines) {
  Write("Windows/evil.exe");  // in no delete list: only a full scan would check it
  const std::shared_ptr<const SignatureDatabase> none = database_;
  UseDatabase({});
  const std::shared_ptr<const SignatureDatabase> loaded = database_;
  using enum ScanOutcome;
  const struct {
    ScanMode mode;
    ScanOutcome outcome;  // kFinished with the database, kNoDatabase without
    Lines lines;
  } rows[] = {
      // clang-format off
      {ScanMode::kMemory, kFinished, {kDated + "Start Memory scanning...", kRule, kNoTrojanInMemory,
                                      kRule, kDated + "Memory scan finished!"}},
      {ScanMode::kFast, kFinished, {kDated + "Start Fast scanning...", kRule, kNoTrojanInMemory,
                                    "There's no Trojan!", kRule, kDated + "Fast scan finished!"}},
      {ScanMode::kFast, kNoDatabase, {kDated + "Start Fast scanning...", kRule, kNoTrojanInMemory,
                                      kNoDb, kRule, kDated + "Fast scan finished!"}},
      {ScanMode::kFull, kNoDatabase, {kDated + "Start Full scanning...", kRule, kNoDb, kRule,
                                      kDated + "Full scan finished!"}},
      // The background scan's closing line has no text of its own.
      {ScanMode::kBackground, kNoDatabase, {kDated + "Start Full scanning...", kRule, kNoDb, kRule,
                                            kDated}},
      // clang-format on
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.mode));
    database_ = row.outcome == kFinished ? loaded : none;
    EXPECT_EQ(Run(row.mode), row.lines);
    EXPECT_EQ(outcome_, row.outcome);
    EXPECT_EQ(Events().back(), "finished checked=0 infected=0 not-checked=0 failed=0");
    EXPECT_TRUE(recorded_->boxes.shown.empty());
  }
  EXPECT_TRUE(Exists("Windows/evil.exe"));
}

TEST_F(RunScanTest, AFullScanListsWhatItFoundAndWhatItCouldNotCheckOrRemove) {
  Write("Windows/evil.exe");
  Write("clean.dat", "nothing here");
  Write("locked.exe", "..EVIL-MARK..");
  fs::create_directories(prefix_.StorePath() / "Empty Folder");
  UseDatabase({});
  Result<File> holder =
      File::OpenForRead(store_, u"\\locked.exe", Sharing::kNone);  // another opener's lock
  ASSERT_EQ(holder.status, FileStatus::kOk);
  const ScopedFault refuse(FaultPoint::kQuarantineMove);

  Lines lines = Run(ScanMode::kFull);
  EXPECT_EQ(outcome_, ScanOutcome::kFinished);
  lines = Lines(lines.begin() + 2, lines.end() - 2);
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(lines, (Lines{"Can not check:\\locked.exe",
                          "[1].Found Trojan,Can not delete:", "\\Windows\\evil.exe"}));
  for (std::size_t i = 0; i < Events().size(); ++i) {
    if (!Events()[i].starts_with("verdict ")) continue;
    // Each file is announced just before its verdict.
    EXPECT_TRUE(Events()[i].starts_with("verdict " + Events()[i - 1].substr(9) + " "))
        << Events()[i - 1];
  }
  // The database, the clean file, the Trojan, and the locked one the matcher
  // could not check (file_matcher_test gives every kind of verdict).
  EXPECT_EQ(Events().back(), "finished checked=3 infected=1 not-checked=1 failed=1");
  EXPECT_TRUE(Exists("Windows/evil.exe"));
  EXPECT_TRUE(recorded_->clock.pauses.empty());
}

TEST_F(RunScanTest, AFailureOfTheHostEndsTheScanWithItsOutcomeInsteadOfTheProcess) {
  UseDatabase({});
  Write("Windows/evil.exe");
  const ScopedFault noMemory(FaultPoint::kListingMemory);
  const Lines lines = Run(ScanMode::kFull);
  EXPECT_EQ(outcome_, ScanOutcome::kFailed);
  EXPECT_EQ(lines[2], "Scan failed:std::bad_alloc");
  EXPECT_EQ(lines.back(), kDated + "Full scan finished!");
}

// The fast scan checks the files the delete lists name (a missing one is
// passed over, an unnamed one never checked) and removes the Trojan
// "\Windows\evil.exe" with its companions; which group is taken:
// virus_database_test; a companion outside the store is the store's
// refusal: store_files_test; a removal refused: the full scan above.
TEST_F(RunScanTest, CompanionsFromTheSnapshotGoBeforeTheTrojanAndEachRemovalIsListed) {
  UseDatabase({"[VirusFile]", "\\Windows\\evil.exe", "\\Windows\\missing.exe", "[DELETE_FILES]",
               "[Evil]", "\\windows\\COMP1.DAT", "\\Windows\\gone.dat"});
  Write("Windows/evil.exe");
  Write("Windows/comp1.dat", "companion");
  Write("Windows/unnamed.exe");
  // The file on disk no longer holds the lists: the scan's snapshot does.
  prefix_.WriteDatabase("1\r\n");
  bool allGoneAtTheTrojan = false;
  onEvent_ = [&](const ScanEvent& event) {
    const auto* action = std::get_if<ActionTaken>(&event);
    if (action != nullptr && action->kind == ActionKind::kDeleteInfected) {
      allGoneAtTheTrojan = !Exists("Windows/comp1.dat") && !Exists("Windows/evil.exe");
    }
  };
  const Lines lines = Run(ScanMode::kFast);
  // A found file leaves out the line that there is no Trojan.
  EXPECT_EQ(Lines(lines.begin() + 2, lines.end() - 2),
            (Lines{kNoTrojanInMemory, "Delete related file:\\windows\\COMP1.DAT",
                   "\\Windows\\evil.exe", "[1].Found Trojan,Delete successfully:"}));
  EXPECT_TRUE(allGoneAtTheTrojan);
  EXPECT_EQ(Events().back(), "finished checked=1 infected=1 not-checked=0 failed=0");
}

}  // namespace
}  // namespace kv::testing
