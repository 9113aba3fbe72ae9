// The scan driver on real stores and real database files: the exact line
// sequences of every mode, the file-signature pass with its edge cases, the
// delete lists read back from the database file, and the silent self
// scan's log records and boxes.
#include "scan/run_scan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/fault_injection.h"
#include "scan/virus_database.h"
#include "support/database_writer.h"
#include "support/scan_recorders.h"
#include "support/temp_files.h"
#include "support/walk_lines.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;

const std::string kRule = "*" + std::string(38, '-');
constexpr char kNoTrojanInMemory[] = "*There's no Trojan in memory!";
constexpr char kNoTrojan[] = "*There's no Trojan!";
constexpr char kDatedFront[] = "*2010/7/5 09:03:05 ";

class RunScanTest : public ::testing::Test {
 protected:
  RunScanTest() { session_.SetReceiver(&receiver_); }

  // Writes VirusDB.dat from plain lines and loads it as the scan's snapshot.
  void UseDatabase(std::initializer_list<std::string_view> plainLines) {
    prefix_.WriteStoreFile(kDatabase, DatabaseFile("20102", plainLines));
    auto loaded = std::make_shared<SignatureDatabase>();
    ASSERT_EQ(LoadVirusDatabase(store_, SignatureDatabase{}, *loaded), LoadResult::kRead);
    database_ = loaded;
  }
  // One content signature "Evil" and the file signatures `paths`.
  void UseFileSignatures(std::initializer_list<std::string_view> paths) {
    std::vector<std::string> lines = {"[VirusCharacter]", CharacterLine("Evil", "EVIL-MARK"),
                                      "[VirusFile]"};
    lines.insert(lines.end(), paths.begin(), paths.end());
    prefix_.WriteStoreFile(kDatabase, DatabaseFileOf(lines));
    auto loaded = std::make_shared<SignatureDatabase>();
    ASSERT_EQ(LoadVirusDatabase(store_, SignatureDatabase{}, *loaded), LoadResult::kRead);
    database_ = loaded;
  }
  static std::string DatabaseFileOf(const std::vector<std::string>& plainLines) {
    std::string file = "20102\r\n";
    for (const std::string& plain : plainLines) file += StoredLine(plain) + "\r\n";
    return file;
  }

  std::vector<std::string> Run(ScanMode mode) {
    session_.mode = mode;
    outcome_ = RunScan(store_, database_, session_, recorded_.outputs);
    return receiver_.Utf8Lines();
  }
  fs::path Write(const fs::path& relative, std::string_view content = "..EVIL-MARK..") {
    return prefix_.WriteStoreFile(relative, content);
  }
  bool Exists(const fs::path& relative) const { return fs::exists(prefix_.StorePath() / relative); }

  static constexpr char kDatabase[] = "Program Files/Quellbrin/VirusDB.dat";
  TempPrefix prefix_;
  const platform::Store& store_ = prefix_.Store();
  std::shared_ptr<const SignatureDatabase> database_ = std::make_shared<SignatureDatabase>();
  ScanSession session_;
  RecordingReceiver receiver_;
  RecordedOutputs recorded_;
  ScanOutcome outcome_ = ScanOutcome::kStopped;
};

TEST_F(RunScanTest, AMemoryScanSendsItsLineThenTheClosingLines) {
  EXPECT_EQ(Run(ScanMode::kMemory),
            (std::vector<std::string>{kNoTrojanInMemory, kRule,
                                      std::string(kDatedFront) + "Memory scan finished!", "&"}));
  EXPECT_EQ(outcome_, ScanOutcome::kFinished);
  EXPECT_FALSE(session_.running.IsSet());
  // The messaging windows' pause, though none was found.
  EXPECT_EQ(recorded_.clock.pauses, (std::vector<int>{500}));
}

TEST_F(RunScanTest, AFastScanWithoutFileSignaturesSaysThereIsNoTrojan) {
  EXPECT_EQ(Run(ScanMode::kFast),
            (std::vector<std::string>{kNoTrojanInMemory, kNoTrojan, kRule,
                                      std::string(kDatedFront) + "Fast scan finished!", "&"}));
  EXPECT_TRUE(recorded_.log.records.empty());
  EXPECT_TRUE(recorded_.boxes.shown.empty());
}

TEST_F(RunScanTest, TheFastScanDeletesNamedFilesThatHoldASignature) {
  UseFileSignatures({"\\Windows\\evil.exe", "\\Windows\\missing.exe", "\\Windows\\clean.exe",
                     "\\Windows\\empty.exe", "\\Windows\\Locked\\in.exe"});
  const fs::path evil = Write("Windows/evil.exe");
  fs::permissions(evil, fs::perms::owner_write, fs::perm_options::remove);  // read-only
  Write("Windows/clean.exe", "nothing here");
  Write("Windows/empty.exe", "");
  EXPECT_EQ(Run(ScanMode::kFast),
            (std::vector<std::string>{kNoTrojanInMemory, "<OK>\\Windows\\evil.exe", kRule,
                                      std::string(kDatedFront) + "Fast scan finished!", "&"}));
  EXPECT_FALSE(Exists("Windows/evil.exe"));
  EXPECT_TRUE(Exists("Windows/clean.exe"));
  EXPECT_TRUE(Exists("Windows/empty.exe"));
}

TEST_F(RunScanTest, AFoundFileThatCannotBeDeletedGivesNoAndNoNoTrojanLine) {
  UseFileSignatures({"\\Windows\\evil.exe"});
  Write("Windows/evil.exe");
  platform::ScopedFault refuse(platform::FaultPoint::kDelete);
  EXPECT_EQ(Run(ScanMode::kFast),
            (std::vector<std::string>{kNoTrojanInMemory, "<NO>\\Windows\\evil.exe", kRule,
                                      std::string(kDatedFront) + "Fast scan finished!", "&"}));
  EXPECT_TRUE(Exists("Windows/evil.exe"));
}

TEST_F(RunScanTest, AFullScanWalksTheStoreThenCloses) {
  Write("Windows/evil.exe");
  Write("readme.txt");
  Write("clean.dat", "nothing here");
  UseDatabase({CharacterLine("Evil", "EVIL-MARK")});
  const std::vector<std::string> lines = Run(ScanMode::kFull);
  ASSERT_GE(lines.size(), 3u);
  const std::vector<std::string> walked(lines.begin(), lines.end() - 3);
  const LineGroups expected = {
      {"\\Program Files\\Quellbrin\\VirusDB.dat"},
      {"\\Windows\\evil.exe", "<OK>\\Windows\\evil.exe"},
      {"\\clean.dat"},
  };
  EXPECT_EQ(GroupByFile(walked), expected);
  EXPECT_EQ(
      std::vector<std::string>(lines.end() - 3, lines.end()),
      (std::vector<std::string>{kRule, std::string(kDatedFront) + "Full scan finished!", "&"}));
  EXPECT_EQ(outcome_, ScanOutcome::kFinished);
  EXPECT_TRUE(recorded_.clock.pauses.empty());
}

TEST_F(RunScanTest, ModesWithoutStepsSendOnlyTheClosingLinesWithoutAClosingText) {
  for (const ScanMode mode : {ScanMode::kLogView, static_cast<ScanMode>(7)}) {
    receiver_.lines.clear();
    EXPECT_EQ(Run(mode), (std::vector<std::string>{kRule, kDatedFront, "&"}));
  }
}

TEST_F(RunScanTest, TheSilentSelfScanLogsAndShowsADeletedTrojan) {
  UseFileSignatures({"\\Windows\\evil.exe"});
  Write("Windows/evil.exe");
  session_.SetReceiver(nullptr);  // no window: the lines go nowhere
  EXPECT_TRUE(Run(ScanMode::kSilentSelf).empty());
  EXPECT_EQ(session_.ScanMessageBuffer(), u"&");
  EXPECT_EQ(recorded_.log.Utf8Records(),
            (std::vector<std::string>{"Delete Trojan successfully:\\Windows\\evil.exe"}));
  ASSERT_EQ(recorded_.boxes.shown.size(), 1u);
  const ShownBox& box = recorded_.boxes.shown[0];
  EXPECT_EQ(box.text, "Found Trojan:\n\\Windows\\evil.exe\nDelete successfully!\n");
  EXPECT_EQ(box.caption, "Information");
  EXPECT_EQ(box.icon, platform::MessageIcon::kInformation);
  EXPECT_EQ(box.buttons, platform::MessageButtons::kOk);
  EXPECT_EQ(box.owner, nullptr);
  EXPECT_FALSE(Exists("Windows/evil.exe"));
}

TEST_F(RunScanTest, TheSilentSelfScanLogsAndShowsATrojanItCannotDelete) {
  UseFileSignatures({"\\Windows\\evil.exe"});
  Write("Windows/evil.exe");
  platform::ScopedFault refuse(platform::FaultPoint::kDelete);
  EXPECT_EQ(Run(ScanMode::kSilentSelf),
            (std::vector<std::string>{kNoTrojanInMemory, "<NO>\\Windows\\evil.exe", kRule,
                                      kDatedFront, "&"}));
  EXPECT_EQ(recorded_.log.Utf8Records(),
            (std::vector<std::string>{"Can not delete Trojan:\\Windows\\evil.exe"}));
  ASSERT_EQ(recorded_.boxes.shown.size(), 1u);
  EXPECT_EQ(recorded_.boxes.shown[0].text,
            "Found Trojan:\n\\Windows\\evil.exe\nIt can not be deleted!please delete it "
            "manually or restart system and try again!\n");
  EXPECT_EQ(recorded_.boxes.shown[0].caption, "Warning");
  EXPECT_EQ(recorded_.boxes.shown[0].icon, platform::MessageIcon::kWarning);
}

TEST_F(RunScanTest, TheSilentSelfScanLogsThatThereIsNoTrojan) {
  UseFileSignatures({"\\Windows\\missing.exe"});
  (void)Run(ScanMode::kSilentSelf);
  EXPECT_EQ(recorded_.log.Utf8Records(), (std::vector<std::string>{kNoTrojan}));
  EXPECT_TRUE(recorded_.boxes.shown.empty());
}

// Delete lists: the Trojan "\Windows\evil.exe" matches the signature Evil.
class DeleteListTest : public RunScanTest {
 protected:
  void UseDeleteLists(std::initializer_list<std::string_view> deleteLines) {
    std::vector<std::string> lines = {"[VirusCharacter]",
                                      CharacterLine("Other", "OTHER-MARK"),
                                      CharacterLine("Evil", "EVIL-MARK"),
                                      "[VirusFile]",
                                      "\\Windows\\evil.exe",
                                      "[DELETE_FILES]"};
    lines.insert(lines.end(), deleteLines.begin(), deleteLines.end());
    prefix_.WriteStoreFile(kDatabase, DatabaseFileOf(lines));
    auto loaded = std::make_shared<SignatureDatabase>();
    ASSERT_EQ(LoadVirusDatabase(store_, SignatureDatabase{}, *loaded), LoadResult::kRead);
    database_ = loaded;
    Write("Windows/evil.exe");
    for (const char* companion :
         {"comp1.dat", "comp2.dat", "odd[1].dat", "other.dat", "later.dat", "never.dat"}) {
      Write(fs::path("Windows") / companion, "companion");
    }
  }
  std::vector<std::string> Remaining() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(prefix_.StorePath() / "Windows")) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(DeleteListTest, DeletesTheFirstMatchingGroupsCompanionsBeforeTheTrojan) {
  UseDeleteLists({"[Other]", "\\Windows\\other.dat", "[Evil]", "\\Windows\\comp1.dat",
                  "\\windows\\COMP2.DAT", "[Later]", "\\Windows\\later.dat", "[Evil]",
                  "\\Windows\\never.dat"});
  bool companionsGoneFirst = false;
  receiver_.onLine = [&](std::u16string_view line) {
    if (line == u"<OK>\\Windows\\evil.exe") {
      companionsGoneFirst = !Exists("Windows/comp1.dat") && !Exists("Windows/comp2.dat");
    }
  };
  (void)Run(ScanMode::kFast);
  EXPECT_TRUE(companionsGoneFirst);
  EXPECT_EQ(Remaining(),
            (std::vector<std::string>{"later.dat", "never.dat", "odd[1].dat", "other.dat"}));
}

TEST_F(DeleteListTest, ACompanionPathHoldingABracketEndsItsGroup) {
  UseDeleteLists(
      {"[Evil]", "\\Windows\\comp1.dat", "\\Windows\\odd[1].dat", "\\Windows\\comp2.dat"});
  (void)Run(ScanMode::kFast);
  EXPECT_EQ(Remaining(), (std::vector<std::string>{"comp2.dat", "later.dat", "never.dat",
                                                   "odd[1].dat", "other.dat"}));
}

TEST_F(DeleteListTest, ATrojanWithoutAGroupIsDeletedAlone) {
  UseDeleteLists({"[Other]", "\\Windows\\other.dat", "[evil]", "\\Windows\\comp1.dat"});
  EXPECT_EQ(Run(ScanMode::kFast)[1], "<OK>\\Windows\\evil.exe");
  EXPECT_EQ(Remaining().size(), 6u);
  EXPECT_FALSE(Exists("Windows/evil.exe"));
}

TEST_F(DeleteListTest, ADatabaseFileGoneOrShortenedSinceTheLoadDeletesNoCompanion) {
  for (const std::string_view replacement : {std::string_view(), std::string_view("1\r\n")}) {
    UseDeleteLists({"[Evil]", "\\Windows\\comp1.dat"});
    if (replacement.empty()) {
      fs::remove(prefix_.StorePath() / kDatabase);
    } else {
      prefix_.WriteStoreFile(kDatabase, replacement);
    }
    receiver_.lines.clear();
    EXPECT_EQ(Run(ScanMode::kFast)[1], "<OK>\\Windows\\evil.exe");
    EXPECT_TRUE(Exists("Windows/comp1.dat"));
  }
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
