// ReplaceStoreFile on real files: the new bytes replace the old in one
// rename, a missing file is created, an existing spelling is kept, and
// every failure (folder missing or a link, a folder at the name, a refused
// create, write or rename) keeps the old file byte for byte and leaves no
// new file behind. Failures the host never gives root are armed through the
// fault seam.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "platform/fault_injection.h"
#include "platform/files.h"
#include "support/temp_files.h"

namespace kv::platform {
namespace {

namespace fs = std::filesystem;
constexpr char16_t kPath[] = u"\\Program Files\\Quellbrin\\VirusDB.dat";

class ReplaceStoreFileTest : public ::testing::Test {
 protected:
  void TearDown() override { ClearFaults(); }

  fs::path Folder() const { return prefix_.StorePath() / "Program Files" / "Quellbrin"; }

  std::set<std::string> FolderEntries() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(Folder())) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  testing::TempPrefix prefix_;
};

TEST_F(ReplaceStoreFileTest, ReplacesTheOldBytesAndLeavesNothingElse) {
  prefix_.WriteStoreFile("Program Files/Quellbrin/VirusDB.dat", "100\r\nold");
  ASSERT_TRUE(ReplaceStoreFile(prefix_.Store(), kPath, "200\r\nnew, longer"));
  EXPECT_EQ(testing::ReadFile(Folder() / "VirusDB.dat"), "200\r\nnew, longer");
  EXPECT_EQ(FolderEntries(), std::set<std::string>{"VirusDB.dat"});
  ASSERT_TRUE(ReplaceStoreFile(prefix_.Store(), kPath, ""));
  EXPECT_EQ(testing::ReadFile(Folder() / "VirusDB.dat"), "");
}

TEST_F(ReplaceStoreFileTest, CreatesAMissingFileInAnExistingFolder) {
  fs::create_directories(Folder());
  ASSERT_TRUE(ReplaceStoreFile(prefix_.Store(), kPath, "1\r\n"));
  EXPECT_EQ(testing::ReadFile(Folder() / "VirusDB.dat"), "1\r\n");
}

TEST_F(ReplaceStoreFileTest, KeepsTheSpellingOfTheFileItReplaces) {
  prefix_.WriteStoreFile("Program Files/Quellbrin/virusdb.DAT", "old");
  ASSERT_TRUE(ReplaceStoreFile(prefix_.Store(), kPath, "new"));
  EXPECT_EQ(FolderEntries(), std::set<std::string>{"virusdb.DAT"});
  EXPECT_EQ(testing::ReadFile(Folder() / "virusdb.DAT"), "new");
}

TEST_F(ReplaceStoreFileTest, ReplacesALinkAtTheNameWithoutWritingThroughIt) {
  const testing::TempDir outside;
  testing::WriteFile(outside.File("target"), "outside");
  fs::create_directories(Folder());
  fs::create_symlink(outside.File("target"), Folder() / "VirusDB.dat");
  ASSERT_TRUE(ReplaceStoreFile(prefix_.Store(), kPath, "new"));
  EXPECT_EQ(testing::ReadFile(outside.File("target")), "outside");
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(Folder() / "VirusDB.dat")));
  EXPECT_EQ(testing::ReadFile(Folder() / "VirusDB.dat"), "new");
}

TEST_F(ReplaceStoreFileTest, EveryFailureKeepsTheOldFileAndLeavesNoNewOne) {
  const struct {
    const char* what;
    FaultPoint fault;
  } faults[] = {{"create refused (a folder it may not write)", FaultPoint::kCreate},
                {"write fails (a full disk)", FaultPoint::kWrite},
                {"rename refused", FaultPoint::kRename}};
  prefix_.WriteStoreFile("Program Files/Quellbrin/VirusDB.dat", "100\r\nold");
  for (const auto& row : faults) {
    const ScopedFault fault(row.fault);
    EXPECT_FALSE(ReplaceStoreFile(prefix_.Store(), kPath, "200\r\nnew")) << row.what;
    EXPECT_EQ(testing::ReadFile(Folder() / "VirusDB.dat"), "100\r\nold") << row.what;
    EXPECT_EQ(FolderEntries(), std::set<std::string>{"VirusDB.dat"}) << row.what;
  }
}

TEST_F(ReplaceStoreFileTest, RefusesWhatIsNoFileOfAStoreFolder) {
  const testing::TempDir outside;
  const struct {
    const char* what;
    std::u16string_view path;
    std::function<void()> setUp;
  } rows[] = {
      {"the folder is missing", kPath, [] {}},
      {"the folder is a link out of the store", kPath,
       [&] {
         fs::create_directories(prefix_.StorePath() / "Program Files");
         fs::create_directory_symlink(outside.Path(), Folder());
       }},
      {"a folder at the name", kPath, [&] { fs::create_directories(Folder() / "VirusDB.dat"); }},
      {"the store root", u"\\", [] {}},
      {"a path climbing out", u"\\..\\VirusDB.dat", [] {}},
  };
  for (const auto& row : rows) {
    fs::remove_all(prefix_.StorePath() / "Program Files");
    row.setUp();
    EXPECT_FALSE(ReplaceStoreFile(prefix_.Store(), row.path, "new")) << row.what;
    EXPECT_TRUE(fs::is_empty(outside.Path())) << row.what;
    EXPECT_FALSE(fs::exists(prefix_.Path() / "VirusDB.dat")) << row.what;
  }
}

}  // namespace
}  // namespace kv::platform
