// The scan driver on real stores and real database files: the closing lines
// of every mode, the file-signature pass, the delete lists read back from
// the database file, and the silent self scan's log records and boxes.
#include "scan/run_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
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

  // Writes VirusDB.dat holding the content signature "Evil", then `lines`,
  // and loads it as the scan's snapshot.
  void UseDatabase(const std::vector<std::string>& lines) {
    std::string file = "20102\r\n" + StoredLine("[VirusCharacter]") + "\r\n" +
                       StoredLine(CharacterLine("Evil", "EVIL-MARK")) + "\r\n";
    for (const std::string& plain : lines) file += StoredLine(plain) + "\r\n";
    prefix_.WriteStoreFile(kDatabase, file);
    auto loaded = std::make_shared<SignatureDatabase>();
    ASSERT_EQ(LoadVirusDatabase(store_, SignatureDatabase{}, *loaded), LoadResult::kRead);
    database_ = loaded;
  }

  std::vector<std::string> Run(ScanMode mode) {
    receiver_.lines.clear();
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

TEST_F(RunScanTest, EachModeSendsItsLinesThenTheClosingLines) {
  const struct {
    ScanMode mode;
    std::vector<std::string> lines;
  } rows[] = {
      {ScanMode::kMemory,
       {kNoTrojanInMemory, kRule, std::string(kDatedFront) + "Memory scan finished!", "&"}},
      {ScanMode::kFast,
       {kNoTrojanInMemory, kNoTrojan, kRule, std::string(kDatedFront) + "Fast scan finished!",
        "&"}},
      {ScanMode::kLogView, {kRule, kDatedFront, "&"}},
      {static_cast<ScanMode>(7), {kRule, kDatedFront, "&"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.mode));
    EXPECT_EQ(Run(row.mode), row.lines);
    EXPECT_EQ(outcome_, ScanOutcome::kFinished);
    EXPECT_FALSE(session_.running.IsSet());
  }
  EXPECT_TRUE(recorded_.log.records.empty());
  EXPECT_TRUE(recorded_.boxes.shown.empty());
}

TEST_F(RunScanTest, TheFastScanDeletesNamedFilesThatHoldASignatureOrSaysItCannot) {
  UseDatabase({"[VirusFile]", "\\Windows\\evil.exe", "\\Windows\\missing.exe",
               "\\Windows\\clean.exe", "\\Windows\\empty.exe", "\\Windows\\Locked\\in.exe"});
  Write("Windows/clean.exe", "nothing here");
  Write("Windows/empty.exe", "");
  for (const bool refuse : {true, false}) {
    const fs::path evil = Write("Windows/evil.exe");
    std::optional<platform::ScopedFault> fault;
    if (refuse) fault.emplace(platform::FaultPoint::kDelete);
    if (!refuse) fs::permissions(evil, fs::perms::owner_write, fs::perm_options::remove);
    // A found file leaves out the line that there is no Trojan.
    EXPECT_EQ(
        Run(ScanMode::kFast),
        (std::vector<std::string>{kNoTrojanInMemory,
                                  (refuse ? "<NO>" : "<OK>") + std::string("\\Windows\\evil.exe"),
                                  kRule, std::string(kDatedFront) + "Fast scan finished!", "&"}));
    EXPECT_EQ(Exists("Windows/evil.exe"), refuse);
  }
  EXPECT_TRUE(Exists("Windows/clean.exe"));
  EXPECT_TRUE(Exists("Windows/empty.exe"));
}

TEST_F(RunScanTest, AFullScanWalksTheStoreThenCloses) {
  Write("Windows/evil.exe");
  Write("clean.dat", "nothing here");
  UseDatabase({});
  const std::vector<std::string> lines = Run(ScanMode::kFull);
  ASSERT_GE(lines.size(), 3u);
  const LineGroups expected = {
      {"\\Program Files\\Quellbrin\\VirusDB.dat"},
      {"\\Windows\\evil.exe", "<OK>\\Windows\\evil.exe"},
      {"\\clean.dat"},
  };
  EXPECT_EQ(GroupByFile(std::vector<std::string>(lines.begin(), lines.end() - 3)), expected);
  EXPECT_EQ(
      std::vector<std::string>(lines.end() - 3, lines.end()),
      (std::vector<std::string>{kRule, std::string(kDatedFront) + "Full scan finished!", "&"}));
  EXPECT_TRUE(recorded_.clock.pauses.empty());
}

TEST_F(RunScanTest, TheSilentSelfScanLogsAndShowsWhatItFound) {
  const struct {
    const char* listed;
    bool refuseDelete;
    std::string record;
    std::string box;  // empty: none shown
  } rows[] = {
      {"\\Windows\\evil.exe", false, "Delete Trojan successfully:\\Windows\\evil.exe",
       "Found Trojan:\n\\Windows\\evil.exe\nDelete successfully!\n"},
      {"\\Windows\\evil.exe", true, "Can not delete Trojan:\\Windows\\evil.exe",
       "Found Trojan:\n\\Windows\\evil.exe\nIt can not be deleted!please delete it manually or "
       "restart system and try again!\n"},
      {"\\Windows\\missing.exe", false, kNoTrojan, ""},
  };
  session_.SetReceiver(nullptr);  // no window: the lines go nowhere
  for (const auto& row : rows) {
    SCOPED_TRACE(row.record);
    UseDatabase({"[VirusFile]", row.listed});
    Write("Windows/evil.exe");
    recorded_.log.records.clear();
    recorded_.boxes.shown.clear();
    std::optional<platform::ScopedFault> refuse;
    if (row.refuseDelete) refuse.emplace(platform::FaultPoint::kDelete);
    EXPECT_TRUE(Run(ScanMode::kSilentSelf).empty());
    EXPECT_EQ(session_.ScanMessageBuffer(), u"&");
    EXPECT_EQ(recorded_.log.Utf8Records(), (std::vector<std::string>{row.record}));
    EXPECT_EQ(Exists("Windows/evil.exe"), row.refuseDelete || row.box.empty());
    if (row.box.empty()) {
      EXPECT_TRUE(recorded_.boxes.shown.empty());
      continue;
    }
    ASSERT_EQ(recorded_.boxes.shown.size(), 1u);
    EXPECT_EQ(recorded_.boxes.shown[0].text, row.box);
    EXPECT_EQ(recorded_.boxes.shown[0].owner, nullptr);
  }
}

// Delete lists: the Trojan "\Windows\evil.exe" matches the signature Evil.
class DeleteListTest : public RunScanTest {
 protected:
  void UseDeleteLists(const std::vector<std::string>& deleteLines) {
    std::vector<std::string> lines = {CharacterLine("Other", "OTHER-MARK"), "[VirusFile]",
                                      "\\Windows\\evil.exe", "[DELETE_FILES]"};
    lines.insert(lines.end(), deleteLines.begin(), deleteLines.end());
    UseDatabase(lines);
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
  const struct {
    std::vector<std::string> lists;
    std::vector<std::string> remaining;
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
  std::vector<std::string> atTheLine;
  receiver_.onLine = [&](std::u16string_view line) {
    if (line == u"<OK>\\Windows\\evil.exe") atTheLine = Remaining();
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.lists[1]);
    UseDeleteLists(row.lists);
    atTheLine.clear();
    (void)Run(ScanMode::kFast);
    EXPECT_EQ(Remaining(), row.remaining);
    EXPECT_EQ(atTheLine, row.remaining);  // companions and Trojan gone before the line
  }
}

TEST_F(DeleteListTest, ADatabaseFileGoneOrShortenedSinceTheLoadDeletesNoCompanion) {
  for (const std::string_view replacement : {std::string_view(), std::string_view("1\r\n")}) {
    UseDeleteLists({"[Evil]", "\\Windows\\comp1.dat"});
    if (replacement.empty()) {
      fs::remove(prefix_.StorePath() / kDatabase);
    } else {
      prefix_.WriteStoreFile(kDatabase, replacement);
    }
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
