// LoadVirusDatabase on real files in a temporary prefix: missing, locked,
// empty, oversized and good databases, and a reload that keeps the delete
// offset. The databases are built with the test encoder.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "platform/files.h"
#include "platform/limits.h"
#include "scan/virus_database.h"
#include "support/database_writer.h"
#include "support/label_name.h"
#include "support/temp_prefix.h"

namespace kv {
namespace {

namespace fs = std::filesystem;
using testing::DatabaseFile;
using testing::StoredLine;
using Strings = std::vector<std::string>;

constexpr int32_t kVersionBefore = 11;
constexpr int32_t kOffsetBefore = 4242;
const fs::path kDatabase = "Program Files/Quellbrin/VirusDB.dat";

Strings Patterns(const SignatureList& list) {
  Strings patterns;
  for (const SignatureRecord& record : list) patterns.push_back(record.pattern);
  return patterns;
}

// A character line: `name` padded with blanks to the 20-character field.
std::string Character(const std::string& name, const std::string& pattern) {
  std::string line = name;
  line.resize(20, ' ');
  return line + pattern;
}

// Fills the global store and version with values a load must replace or keep.
class LoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    signatureStore.characterSignatures = {{"stale", "Stale"}};
    signatureStore.fileSignatures = {{"\\stale.exe", ""}};
    signatureStore.processSignatures = {{"stale.exe", ""}};
    signatureStore.deleteFilesOffset = kOffsetBefore;
    appContext.dbVersion = kVersionBefore;
  }
  void TearDown() override {
    signatureStore = SignatureStore{};
    appContext = AppContext{};
  }

  void ExpectFailedLoad() const {
    EXPECT_EQ(LoadVirusDatabase(), -1);
    EXPECT_TRUE(signatureStore.characterSignatures.empty());
    EXPECT_TRUE(signatureStore.fileSignatures.empty());
    EXPECT_TRUE(signatureStore.processSignatures.empty());
    EXPECT_EQ(appContext.dbVersion, kVersionBefore);
    EXPECT_EQ(signatureStore.deleteFilesOffset, kOffsetBefore);
  }

  testing::TempPrefix prefix_;
};

TEST_F(LoaderTest, MissingFileFailsAndLeavesTheListsEmpty) { ExpectFailedLoad(); }

TEST_F(LoaderTest, MissingFileInAnExistingFolderFails) {
  fs::create_directories(prefix_.Store() / kDatabase.parent_path());
  ExpectFailedLoad();
}

struct LockCase {
  const char* label;
  platform::Sharing holder;
};

class LockedDatabaseTest : public LoaderTest, public ::testing::WithParamInterface<LockCase> {};

TEST_P(LockedDatabaseTest, OpenFileOfAnotherHolderFailsTheLoad) {
  prefix_.WriteStoreFile(kDatabase, DatabaseFile("20102", {Character("Sig", "abc")}));
  platform::File holder;
  ASSERT_EQ(platform::File::OpenForRead(kVirusDatabasePath, GetParam().holder, holder),
            platform::FileStatus::kOk);
  ExpectFailedLoad();
  ASSERT_TRUE(holder.Close());
  EXPECT_EQ(LoadVirusDatabase(), 0);
  EXPECT_EQ(appContext.dbVersion, 20102);
}

INSTANTIATE_TEST_SUITE_P(Table, LockedDatabaseTest,
                         ::testing::Values(LockCase{"no sharing", platform::Sharing::kNone},
                                           LockCase{"read sharing", platform::Sharing::kRead}),
                         kv::testing::LabelName());

TEST_F(LoaderTest, DatabaseThatIsAFolderOrALinkFails) {
  fs::create_directories(prefix_.Store() / kDatabase);
  ExpectFailedLoad();
  fs::remove(prefix_.Store() / kDatabase);
  const fs::path real = prefix_.WriteStoreFile("real.dat", DatabaseFile("5", {}));
  fs::create_symlink(real, prefix_.Store() / kDatabase);
  ExpectFailedLoad();
}

TEST_F(LoaderTest, EmptyFileLoadsNothingAndKeepsTheVersion) {
  prefix_.WriteStoreFile(kDatabase, "");
  EXPECT_EQ(LoadVirusDatabase(), 0);
  EXPECT_TRUE(signatureStore.characterSignatures.empty());
  EXPECT_TRUE(signatureStore.fileSignatures.empty());
  EXPECT_TRUE(signatureStore.processSignatures.empty());
  EXPECT_EQ(appContext.dbVersion, kVersionBefore);
  EXPECT_EQ(signatureStore.deleteFilesOffset, kOffsetBefore);
}

TEST_F(LoaderTest, GoodDatabaseFillsEveryListVersionAndOffset) {
  const std::string marked = DatabaseFile(
      "20102", {Character("Early", "e+"), "[VirusFile]", "\\Windows\\evil.exe", "[VirusProcess]",
                "evil.exe", "[VirusCharacter]", Character("Skulls", "\\x53kull"),
                Character("Doomed", "d[o0]+m"), "[DELETE_FILES]"});
  const std::string content =
      marked + StoredLine("[Skulls]") + "\r\n" + StoredLine("\\Windows\\skull.dll") + "\r\n" +
      StoredLine("[VirusFile]") + "\r\n" + StoredLine("\\late.exe") + "\r\n";
  prefix_.WriteStoreFile(kDatabase, content);

  EXPECT_EQ(LoadVirusDatabase(), 0);
  EXPECT_EQ(appContext.dbVersion, 20102);
  EXPECT_EQ(Patterns(signatureStore.characterSignatures), (Strings{"e+", "\\x53kull", "d[o0]+m"}));
  ASSERT_EQ(signatureStore.characterSignatures.size(), 3u);
  EXPECT_EQ(signatureStore.characterSignatures[1].name, "Skulls");
  EXPECT_EQ(Patterns(signatureStore.fileSignatures), (Strings{"\\Windows\\evil.exe"}));
  EXPECT_EQ(Patterns(signatureStore.processSignatures), (Strings{"evil.exe"}));
  // The delete lists start right after the marker line's CR LF.
  EXPECT_EQ(signatureStore.deleteFilesOffset, static_cast<int32_t>(marked.size()));
}

TEST_F(LoaderTest, DatabaseIsFoundIgnoringCase) {
  prefix_.WriteStoreFile("PROGRAM FILES/quellbrin/virusdb.DAT",
                         DatabaseFile("7", {"[VirusProcess]", "evil.exe"}));
  EXPECT_EQ(LoadVirusDatabase(), 0);
  EXPECT_EQ(appContext.dbVersion, 7);
  EXPECT_EQ(Patterns(signatureStore.processSignatures), (Strings{"evil.exe"}));
}

TEST_F(LoaderTest, ReloadReplacesTheListsAndKeepsTheDeleteOffset) {
  const std::string first = DatabaseFile("1", {Character("One", "1"), "[DELETE_FILES]"});
  prefix_.WriteStoreFile(kDatabase, first);
  ASSERT_EQ(LoadVirusDatabase(), 0);
  ASSERT_EQ(signatureStore.deleteFilesOffset, static_cast<int32_t>(first.size()));

  prefix_.WriteStoreFile(kDatabase,
                         DatabaseFile("2", {Character("Two", "2"), "[VirusFile]", "\\two.exe"}));
  EXPECT_EQ(LoadVirusDatabase(), 0);
  EXPECT_EQ(appContext.dbVersion, 2);
  EXPECT_EQ(Patterns(signatureStore.characterSignatures), (Strings{"2"}));
  EXPECT_EQ(Patterns(signatureStore.fileSignatures), (Strings{"\\two.exe"}));
  EXPECT_EQ(signatureStore.deleteFilesOffset, static_cast<int32_t>(first.size()));
}

TEST_F(LoaderTest, FailedReloadEmptiesTheListsOfTheLastLoad) {
  prefix_.WriteStoreFile(kDatabase, DatabaseFile("3", {Character("Three", "3")}));
  ASSERT_EQ(LoadVirusDatabase(), 0);
  ASSERT_EQ(signatureStore.characterSignatures.size(), 1u);
  fs::remove(prefix_.Store() / kDatabase);
  EXPECT_EQ(LoadVirusDatabase(), -1);
  EXPECT_TRUE(signatureStore.characterSignatures.empty());
  EXPECT_EQ(appContext.dbVersion, 3);
}

// A version line, then filler without a CR up to `size` bytes.
std::string PaddedDatabase(std::size_t size) {
  std::string content = "9\r\n";
  content.resize(size, 'x');
  return content;
}

TEST_F(LoaderTest, DatabaseAtTheSizeBoundLoads) {
  prefix_.WriteStoreFile(kDatabase, PaddedDatabase(limits::kMaxDatabaseFileBytes));
  EXPECT_EQ(LoadVirusDatabase(), 0);
  EXPECT_EQ(appContext.dbVersion, 9);
}

TEST_F(LoaderTest, DatabaseOverTheSizeBoundIsAFailedRead) {
  prefix_.WriteStoreFile(kDatabase, PaddedDatabase(limits::kMaxDatabaseFileBytes + 1));
  ExpectFailedLoad();
}

}  // namespace
}  // namespace kv
