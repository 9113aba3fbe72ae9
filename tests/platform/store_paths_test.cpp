// Device path resolution against a real store: exact and case-insensitive
// names, "..", symbolic links inside and outside the store, path length,
// non-ASCII and non-UTF-8 names, and the FileStatus each failure gives.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/files.h"
#include "support/label_name.h"
#include "support/temp_prefix.h"

namespace kv::platform {
namespace {

namespace fs = std::filesystem;

struct PathCase {
  const char* label;
  std::u16string path;
  FileStatus status;
  std::string content;  // what the opened file holds, for kOk
};

// Components of a 259-unit and a 260-unit path: "\" + 100 + "\" + 100 + "\"
// + the leaf.
const std::u16string kLongFolders =
    u"\\" + std::u16string(100, u'd') + u"\\" + std::u16string(100, u'e') + u"\\";
const std::u16string kLeaf259(259 - kLongFolders.size(), u'f');
const std::u16string kLeaf260(260 - kLongFolders.size(), u'f');

class StorePathTest : public ::testing::TestWithParam<PathCase> {
 protected:
  void SetUp() override {
    prefix_.WriteStoreFile("Program Files/Quellbrin/VirusDB.dat", "database");
    prefix_.WriteStoreFile("Docs/readme.txt", "lower");
    prefix_.WriteStoreFile("Docs/ReadMe.TXT", "mixed");
    prefix_.WriteStoreFile("Docs/README.TXT", "upper");
    prefix_.WriteStoreFile("Docs/Notes.txt", "notes");
    prefix_.WriteStoreFile(u8"M\u00FCsic/\u00C4rger.exe", "latin");
    prefix_.WriteStoreFile(u8"\u0160koda/\u20AC.dat", "euro");
    prefix_.WriteStoreFile(fs::path(std::string("Bad\xFF.exe")), "not utf-8");
    const std::string longFolders = "d" + std::string(99, 'd') + "/" + std::string(100, 'e') + "/";
    prefix_.WriteStoreFile(longFolders + std::string(kLeaf259.size(), 'f'), "259");
    prefix_.WriteStoreFile(longFolders + std::string(kLeaf260.size(), 'f'), "260");

    const fs::path outside = prefix_.Prefix() / "outside";
    fs::create_directories(outside);
    std::ofstream(outside / "secret.txt") << "secret";
    fs::create_symlink(prefix_.Store() / "Docs/Notes.txt", prefix_.Store() / "InLink.txt");
    fs::create_directory_symlink(prefix_.Store() / "Docs", prefix_.Store() / "InDir");
    fs::create_symlink(outside / "secret.txt", prefix_.Store() / "OutLink.txt");
    fs::create_directory_symlink(outside, prefix_.Store() / "OutDir");
    fs::create_symlink("Docs/Notes.txt", prefix_.Store() / "Docs/RelLink.txt");
  }

  testing::TempPrefix prefix_;
};

TEST_P(StorePathTest, OpensTheRightFileOrFailsAsTheHandsetWould) {
  File file;
  ASSERT_EQ(File::OpenForRead(GetParam().path, Sharing::kRead, file), GetParam().status)
      << GetParam().label;
  EXPECT_EQ(file.IsOpen(), GetParam().status == FileStatus::kOk);
  if (GetParam().status == FileStatus::kOk) {
    std::string content;
    ASSERT_TRUE(file.ReadAll(content));
    EXPECT_EQ(content, GetParam().content) << GetParam().label;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, StorePathTest,
    ::testing::Values(
        PathCase{"exact", u"\\Program Files\\Quellbrin\\VirusDB.dat", FileStatus::kOk, "database"},
        PathCase{"every component in another case", u"\\PROGRAM FILES\\quellbrin\\virusdb.DAT",
                 FileStatus::kOk, "database"},
        PathCase{"without the leading backslash", u"Program Files\\Quellbrin\\VirusDB.dat",
                 FileStatus::kOk, "database"},
        PathCase{"empty and dot components", u"\\\\Program Files\\.\\Quellbrin\\\\VirusDB.dat",
                 FileStatus::kOk, "database"},
        PathCase{"exact name wins over case-insensitive twins", u"\\Docs\\ReadMe.TXT",
                 FileStatus::kOk, "mixed"},
        PathCase{"exact lower-case name", u"\\Docs\\readme.txt", FileStatus::kOk, "lower"},
        // No exact entry: README.TXT, ReadMe.TXT and readme.txt all match;
        // the byte-wise first host name wins.
        PathCase{"byte-wise first of several twins", u"\\docs\\Readme.txt", FileStatus::kOk,
                 "upper"},
        PathCase{"latin-1 names in another case", u"\\m\u00DCSIC\\\u00E4RGER.EXE", FileStatus::kOk,
                 "latin"},
        PathCase{"windows-1252 letters in another case", u"\\\u0161KODA\\\u20AC.DAT",
                 FileStatus::kOk, "euro"},
        PathCase{"host name that is not utf-8", u"\\Bad\xDCFF.exe", FileStatus::kOk, "not utf-8"},
        PathCase{"259 units", kLongFolders + kLeaf259, FileStatus::kOk, "259"},
        PathCase{"260 units", kLongFolders + kLeaf260, FileStatus::kFailed, ""},
        PathCase{"missing file in an existing folder", u"\\Docs\\missing.txt",
                 FileStatus::kFileNotFound, ""},
        PathCase{"missing file in a folder found ignoring case", u"\\DOCS\\missing.txt",
                 FileStatus::kFileNotFound, ""},
        PathCase{"missing folder", u"\\Nowhere\\readme.txt", FileStatus::kFailed, ""},
        PathCase{"a file used as a folder", u"\\Docs\\Notes.txt\\x", FileStatus::kFailed, ""},
        PathCase{"a directory", u"\\Docs", FileStatus::kFailed, ""},
        PathCase{"the root", u"\\", FileStatus::kFailed, ""},
        PathCase{"dot dot inside the store", u"\\Docs\\..\\Docs\\Notes.txt", FileStatus::kFailed,
                 ""},
        PathCase{"dot dot out of the store", u"\\..\\outside\\secret.txt", FileStatus::kFailed, ""},
        PathCase{"link to a file inside", u"\\InLink.txt", FileStatus::kFailed, ""},
        PathCase{"link to a file inside found ignoring case", u"\\inlink.TXT", FileStatus::kFailed,
                 ""},
        PathCase{"relative link inside", u"\\Docs\\RelLink.txt", FileStatus::kFailed, ""},
        PathCase{"link to a folder inside", u"\\InDir\\Notes.txt", FileStatus::kFailed, ""},
        PathCase{"link to a file outside", u"\\OutLink.txt", FileStatus::kFailed, ""},
        PathCase{"link to a folder outside", u"\\OutDir\\secret.txt", FileStatus::kFailed, ""},
        PathCase{"slash inside a name", u"\\Docs/Notes.txt", FileStatus::kFailed, ""},
        PathCase{"lone surrogate that is no byte escape", u"\\Docs\\\xD800.txt",
                 FileStatus::kFailed, ""}),
    kv::testing::LabelName());

}  // namespace
}  // namespace kv::platform
