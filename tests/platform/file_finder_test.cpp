// Folder listings: folders and files with their directory attribute, links
// and "." / ".." left out, empty, missing and linked folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "platform/files.h"
#include "support/label_name.h"
#include "support/temp_prefix.h"

namespace kv::platform {
namespace {

namespace fs = std::filesystem;

using Listing = std::map<std::u16string, bool>;  // name -> isDirectory

// Lists a folder completely; fails the test on a duplicate entry.
FileStatus ListFolder(std::u16string_view folder, Listing& listing) {
  listing.clear();
  FileFinder finder;
  FindEntry entry;
  const FileStatus status = FileFinder::FindFirst(folder, finder, entry);
  if (status != FileStatus::kOk) return status;
  do {
    EXPECT_TRUE(listing.emplace(entry.name, entry.isDirectory).second) << "listed twice";
  } while (finder.FindNext(entry));
  EXPECT_FALSE(finder.FindNext(entry)) << "the end of a listing stays the end";
  return status;
}

class FileFinderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    prefix_.WriteStoreFile("root.exe", "r");
    prefix_.WriteStoreFile("Windows/evil.exe", "e");
    prefix_.WriteStoreFile("Windows/readme.txt", "t");
    prefix_.WriteStoreFile("Windows/Sub/deep.cab", "c");
    prefix_.WriteStoreFile("Windows/..backup/old.exe", "o");
    prefix_.WriteStoreFile(u8"Windows/\u00C4rger.dat", "a");
    prefix_.WriteStoreFile(fs::path(std::string("Windows/bad\xFF.exe")), "b");
    fs::create_directories(prefix_.Store() / "Empty");
    fs::create_symlink(prefix_.Store() / "Windows/evil.exe", prefix_.Store() / "Windows/link.exe");
    fs::create_directory_symlink(prefix_.Store() / "Windows/Sub",
                                 prefix_.Store() / "Windows/LinkDir");
  }

  testing::TempPrefix prefix_;
};

TEST_F(FileFinderTest, ListsFilesAndFoldersButNoLinks) {
  Listing listing;
  ASSERT_EQ(ListFolder(u"\\Windows", listing), FileStatus::kOk);
  const Listing expected = {
      {u"evil.exe", false}, {u"readme.txt", false},     {u"Sub", true},
      {u"..backup", true},  {u"\u00C4rger.dat", false}, {u"bad\xDCFF.exe", false}};
  EXPECT_EQ(listing, expected);
}

TEST_F(FileFinderTest, ListedNamesOpenAsDevicePaths) {
  Listing listing;
  ASSERT_EQ(ListFolder(u"\\Windows", listing), FileStatus::kOk);
  for (const auto& [name, isDirectory] : listing) {
    if (isDirectory) continue;
    File file;
    EXPECT_EQ(File::OpenForRead(u"\\Windows\\" + name, Sharing::kRead, file), FileStatus::kOk);
  }
}

TEST_F(FileFinderTest, RootIsTheEmptyPathOrABackslash) {
  const Listing expected = {{u"root.exe", false}, {u"Windows", true}, {u"Empty", true}};
  for (std::u16string_view root : {u"", u"\\"}) {
    Listing listing;
    ASSERT_EQ(ListFolder(root, listing), FileStatus::kOk);
    EXPECT_EQ(listing, expected);
  }
}

TEST_F(FileFinderTest, FolderIsFoundIgnoringCase) {
  Listing listing;
  ASSERT_EQ(ListFolder(u"\\windows\\SUB", listing), FileStatus::kOk);
  EXPECT_EQ(listing, (Listing{{u"deep.cab", false}}));
}

struct FolderCase {
  const char* label;
  std::u16string path;
  FileStatus status;
};

class FindFirstFailureTest : public FileFinderTest,
                             public ::testing::WithParamInterface<FolderCase> {};

TEST_P(FindFirstFailureTest, GivesNoEntry) {
  FileFinder finder;
  FindEntry entry;
  EXPECT_EQ(FileFinder::FindFirst(GetParam().path, finder, entry), GetParam().status)
      << GetParam().label;
  EXPECT_FALSE(finder.FindNext(entry)) << GetParam().label;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FindFirstFailureTest,
    ::testing::Values(FolderCase{"empty folder", u"\\Empty", FileStatus::kFileNotFound},
                      FolderCase{"missing folder", u"\\Nowhere", FileStatus::kFailed},
                      FolderCase{"a file", u"\\root.exe", FileStatus::kFailed},
                      FolderCase{"a link to a folder", u"\\Windows\\LinkDir", FileStatus::kFailed},
                      FolderCase{"dot dot", u"\\Windows\\..", FileStatus::kFailed}),
    kv::testing::LabelName());

}  // namespace
}  // namespace kv::platform
