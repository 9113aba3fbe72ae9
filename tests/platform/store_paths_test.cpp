// Device paths against a real store: which file a path opens (exact and
// case-insensitive names and twins, "..", links anywhere on the path, length,
// non-ASCII and non-UTF-8 host names) or which FileStatus it fails with;
// folder listings; and where the store itself is.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "platform/environment.h"
#include "platform/files.h"
#include "platform/prefix.h"
#include "platform/text.h"
#include "support/temp_files.h"

namespace kv::platform {
namespace {

namespace fs = std::filesystem;

// "\" + 100 + "\" + 100 + "\" + the leaf: paths of 259 and 260 units.
const std::u16string kLongFolders =
    u"\\" + std::u16string(100, u'd') + u"\\" + std::u16string(100, u'e') + u"\\";
const std::u16string kLeaf259(259 - kLongFolders.size(), u'f');
const std::u16string kLeaf260(260 - kLongFolders.size(), u'f');

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string longFolders = std::string(100, 'd') + "/" + std::string(100, 'e') + "/";
    // clang-format off
    const std::pair<std::string, std::string_view> files[] = {
        {"Program Files/Quellbrin/VirusDB.dat", "database"}, {"Docs/readme.txt", "lower"},
        {"Docs/ReadMe.TXT", "mixed"}, {"Docs/README.TXT", "upper"}, {"Docs/Notes.txt", "notes"},
        {"Docs/..dots/x.txt", "dots"}, {"M\xC3\xBCsic/\xC3\x84rger.exe", "latin"},
        {"\xC5\xA0koda/\xE2\x82\xAC.dat", "euro"}, {"Bad\xFF.exe", "not utf-8"},
        {longFolders + std::string(kLeaf259.size(), 'f'), "259"},
        {longFolders + std::string(kLeaf260.size(), 'f'), "260"}};
    // clang-format on
    for (const auto& [path, content] : files) prefix_.WriteStoreFile(path, content);
    const fs::path store = prefix_.Store();
    const fs::path outside = prefix_.Prefix() / "outside";
    fs::create_directory(store / "Empty");
    testing::WriteFile(outside / "secret.txt", "secret");
    fs::create_symlink(store / "Docs/Notes.txt", store / "InLink.txt");
    fs::create_symlink("Notes.txt", store / "Docs/RelLink.txt");
    fs::create_directory_symlink(store / "Docs", store / "InDir");
    fs::create_symlink(outside / "secret.txt", store / "OutLink.txt");
    fs::create_directory_symlink(outside, store / "OutDir");
  }

  testing::TempPrefix prefix_;
};

constexpr FileStatus kOk = FileStatus::kOk;
constexpr FileStatus kNotFound = FileStatus::kFileNotFound;
constexpr FileStatus kFailed = FileStatus::kFailed;

TEST_F(StoreTest, PathOpensTheRightFileOrFailsAsTheHandsetWould) {
  // label, path, status, and what the opened file holds
  // clang-format off
  const std::tuple<const char*, std::u16string, FileStatus, std::string_view> cases[] = {
      {"exact", u"\\Program Files\\Quellbrin\\VirusDB.dat", kOk, "database"},
      {"every name in another case", u"\\PROGRAM FILES\\quellbrin\\virusdb.DAT", kOk, "database"},
      {"empty and dot components", u"Program Files\\.\\\\Quellbrin\\VirusDB.dat", kOk, "database"},
      {"exact name wins over its twins", u"\\Docs\\ReadMe.TXT", kOk, "mixed"},
      {"byte-wise first of several twins", u"\\docs\\Readme.txt", kOk, "upper"},
      {"names beginning with dots are names", u"\\Docs\\..DOTS\\x.txt", kOk, "dots"},
      {"latin-1 names in another case", u"\\m\u00DCSIC\\\u00E4RGER.EXE", kOk, "latin"},
      {"windows-1252 letters in another case", u"\\\u0161KODA\\\u20AC.DAT", kOk, "euro"},
      {"host name that is not utf-8", u"\\Bad\xDCFF.exe", kOk, "not utf-8"},
      {"259 units", kLongFolders + kLeaf259, kOk, "259"},
      {"260 units", kLongFolders + kLeaf260, kFailed, ""},
      {"missing file in an existing folder", u"\\DOCS\\missing.txt", kNotFound, ""},
      {"missing folder", u"\\Nowhere\\readme.txt", kFailed, ""},
      {"a file used as a folder", u"\\Docs\\Notes.txt\\x", kFailed, ""},
      {"a directory", u"\\Docs", kFailed, ""},
      {"the root", u"\\", kFailed, ""},
      {"dot dot inside the store", u"\\Docs\\..\\Docs\\Notes.txt", kFailed, ""},
      {"dot dot out of the store", u"\\..\\outside\\secret.txt", kFailed, ""},
      {"link to a file inside", u"\\inlink.TXT", kFailed, ""},
      {"relative link inside", u"\\Docs\\RelLink.txt", kFailed, ""},
      {"link to a folder inside", u"\\InDir\\Notes.txt", kFailed, ""},
      {"link to a file outside", u"\\OutLink.txt", kFailed, ""},
      {"link to a folder outside", u"\\OutDir\\secret.txt", kFailed, ""},
      {"slash inside a name", u"\\Docs/Notes.txt", kFailed, ""},
      {"lone surrogate that is no byte escape", u"\\Docs\\\xD800.txt", kFailed, ""},
      {"byte escape of an ascii letter", u"\\Docs\\\xDC4Eotes.txt", kFailed, ""},
      // C3 84 as escapes would spell the UTF-8 of U+00C4: one file, two names.
      {"byte escapes spelling utf-8", u"\\M\u00FCsic\\\xDCC3\xDC84rger.exe", kFailed, ""}};
  // clang-format on
  for (const auto& [label, path, status, content] : cases) {
    File file;
    EXPECT_EQ(File::OpenForRead(path, Sharing::kRead, file), status) << label;
    std::string read;
    if (file.IsOpen()) file.ReadAll(read);
    EXPECT_EQ(read, content) << label;
  }
}

using Listing = std::multimap<std::u16string, bool>;  // name -> isDirectory

FileStatus ListFolder(std::u16string_view folder, Listing& listing) {
  FileFinder finder;
  FindEntry entry;
  const FileStatus status = FileFinder::FindFirst(folder, finder, entry);
  for (bool more = status == kOk; more; more = finder.FindNext(entry)) {
    listing.emplace(entry.name, entry.isDirectory);
  }
  EXPECT_FALSE(finder.FindNext(entry)) << "the end of a listing stays the end";
  return status;
}

TEST_F(StoreTest, ListsFoldersAndFilesButNoLinksNorDots) {
  // clang-format off
  const Listing root = {{u"Program Files", true}, {u"Docs", true}, {u"M\u00FCsic", true},
                        {u"\u0160koda", true}, {u"Bad\xDCFF.exe", false}, {u"Empty", true},
                        {std::u16string(100, u'd'), true}};
  const Listing docs = {{u"readme.txt", false}, {u"ReadMe.TXT", false}, {u"README.TXT", false},
                        {u"Notes.txt", false}, {u"..dots", true}};
  const std::pair<std::u16string_view, Listing> cases[] = {
      {u"", root}, {u"\\", root}, {u"\\docs", docs}};
  // clang-format on
  for (const auto& [path, expected] : cases) {
    Listing listing;
    EXPECT_EQ(ListFolder(path, listing), kOk);
    EXPECT_EQ(listing, expected);
  }
}

TEST_F(StoreTest, ListingFailsForAnEmptyFolderAndAnythingButAFolder) {
  // clang-format off
  const std::pair<std::u16string_view, FileStatus> cases[] = {
      {u"\\Empty", kNotFound}, {u"\\Nowhere", kFailed}, {u"\\Docs\\Notes.txt", kFailed},
      {u"\\InDir", kFailed}, {u"\\Docs\\..", kFailed}};
  // clang-format on
  for (const auto& [path, status] : cases) {
    Listing listing;
    EXPECT_EQ(ListFolder(path, listing), status) << Utf16ToUtf8(path);
    EXPECT_TRUE(listing.empty());
  }
}

TEST(Prefix, DefaultsToDotKestrelvoxInHomeAndIsCreated) {
  const testing::TempPrefix scratch;  // restores KESTRELVOX_PREFIX afterwards
  const std::optional<std::string> home = GetEnvironment("HOME");
  SetEnvironment("HOME", scratch.Prefix().string());
  UnsetEnvironment("KESTRELVOX_PREFIX");
  EXPECT_EQ(StoreDirectory(), scratch.Prefix() / ".kestrelvox/store");
  EXPECT_TRUE(fs::is_directory(scratch.Prefix() / ".kestrelvox/store"));
  SetEnvironment("KESTRELVOX_PREFIX", "");
  EXPECT_EQ(PrefixDirectory(), scratch.Prefix() / ".kestrelvox");
  if (home) SetEnvironment("HOME", *home);
}

}  // namespace
}  // namespace kv::platform
