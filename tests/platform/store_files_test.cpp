// The store's file services against a real store: which file a device path
// opens (exact and case-insensitive names and twins, "..", links anywhere on
// the path, length, non-ASCII and non-UTF-8 host names) or which FileStatus
// it fails with; folder listings; sharing, reads and mapping; and "set
// attributes to normal" with delete.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <tuple>

#include "platform/files.h"
#include "platform/text.h"
#include "support/temp_files.h"

namespace kv::platform {
namespace {

namespace fs = std::filesystem;

const std::string kBinary("MZ\0\x01payload\xFF", 12);

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
        {"Windows/evil.exe", kBinary}, {"Windows/empty.dat", ""},
        {longFolders + std::string(kLeaf259.size(), 'f'), "259"},
        {longFolders + std::string(kLeaf260.size(), 'f'), "260"}};
    // clang-format on
    for (const auto& [path, content] : files) prefix_.WriteStoreFile(path, content);
    const fs::path store = prefix_.Store();
    const fs::path outside = prefix_.Path() / "outside";
    fs::create_directory(store / "Empty");
    testing::WriteFile(outside / "secret.txt", "secret");
    fs::create_symlink(store / "Docs/Notes.txt", store / "InLink.txt");
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
      {"no leading backslash, empty and dot names", u"Program Files\\.\\\\Quellbrin\\VirusDB.dat",
       kOk, "database"},
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
      {"dot dot out of the store", u"\\..\\outside\\secret.txt", kFailed, ""},
      // A link is no file: absent from its folder, or the folder is absent.
      {"link to a file inside", u"\\inlink.TXT", kNotFound, ""},
      {"link to a file outside", u"\\OutLink.txt", kNotFound, ""},
      {"link to a folder outside", u"\\OutDir\\secret.txt", kFailed, ""},
      {"slash inside a name", u"\\Docs/Notes.txt", kFailed, ""},
      {"lone surrogate that is no byte escape", u"\\Docs\\\xD800.txt", kFailed, ""},
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

TEST_F(StoreTest, ListsFoldersAndFilesButNoLinksNorDotsAndFailsForAnythingElse) {
  // clang-format off
  const Listing root = {{u"Program Files", true}, {u"Docs", true}, {u"M\u00FCsic", true},
                        {u"\u0160koda", true}, {u"Bad\xDCFF.exe", false}, {u"Empty", true},
                        {u"Windows", true}, {std::u16string(100, u'd'), true}};
  const Listing docs = {{u"readme.txt", false}, {u"ReadMe.TXT", false}, {u"README.TXT", false},
                        {u"Notes.txt", false}, {u"..dots", true}};
  const std::tuple<std::u16string_view, FileStatus, Listing> cases[] = {
      {u"", kOk, root}, {u"\\", kOk, root}, {u"\\docs", kOk, docs}, {u"\\Empty", kNotFound, {}},
      {u"\\Nowhere", kFailed, {}}, {u"\\Docs\\Notes.txt", kFailed, {}}, {u"\\InDir", kFailed, {}},
      {u"\\Docs\\..", kFailed, {}}};
  // clang-format on
  for (const auto& [path, status, expected] : cases) {
    Listing listing;
    EXPECT_EQ(ListFolder(path, listing), status) << Utf16ToUtf8(path);
    EXPECT_EQ(listing, expected) << Utf16ToUtf8(path);
  }
}

TEST_F(StoreTest, SecondOpenObeysTheFirstOpenersShareModeUntilItCloses) {
  // clang-format off
  const std::tuple<const char*, Sharing, Sharing, FileStatus> cases[] = {
      {"no sharing twice", Sharing::kNone, Sharing::kNone, kFailed},
      {"read sharing, then none", Sharing::kRead, Sharing::kNone, kFailed},
      {"read sharing twice", Sharing::kRead, Sharing::kRead, kOk}};
  // clang-format on
  for (const auto& [label, firstSharing, secondSharing, whileOpen] : cases) {
    File first;
    File second;
    ASSERT_EQ(File::OpenForRead(u"\\Docs\\Notes.txt", firstSharing, first), kOk);
    EXPECT_EQ(File::OpenForRead(u"\\docs\\notes.TXT", secondSharing, second), whileOpen) << label;
    EXPECT_TRUE(first.Close());
    EXPECT_EQ(File::OpenForRead(u"\\Docs\\Notes.txt", secondSharing, second), kOk) << label;
  }
}

TEST_F(StoreTest, SizeReadAllAndMapGiveTheWholeFile) {
  File file;
  ASSERT_EQ(File::OpenForRead(u"\\Windows\\evil.exe", Sharing::kNone, file), kOk);
  uint64_t size = 0;
  ASSERT_TRUE(file.Size(size));
  EXPECT_EQ(size, kBinary.size());
  std::string content;
  EXPECT_FALSE(file.ReadAll(content, size - 1)) << "over the limit";
  ASSERT_TRUE(file.ReadAll(content, size));
  EXPECT_EQ(content, kBinary);
  MappedView view;
  EXPECT_FALSE(MappedView::Map(file, size + 1, view)) << "past the end";
  ASSERT_TRUE(MappedView::Map(file, size, view));
  EXPECT_EQ(std::string(view.data(), view.size()), kBinary);
  ASSERT_EQ(File::OpenForRead(u"\\Windows\\empty.dat", Sharing::kNone, file), kOk);
  EXPECT_FALSE(MappedView::Map(file, 0, view)) << "an empty file is never mapped";
}

TEST_F(StoreTest, ReadOnlyFileIsDeletedOnlyAfterSetNormalAttributes) {
  const fs::path file = prefix_.Store() / "Windows/evil.exe";
  fs::permissions(file, fs::perms::owner_write | fs::perms::group_write, fs::perm_options::remove);
  EXPECT_EQ(DeleteStoreFile(u"\\Windows\\evil.exe"), kFailed);
  EXPECT_TRUE(fs::exists(file));
  EXPECT_EQ(SetNormalAttributes(u"\\WINDOWS\\Evil.exe"), kOk);
  // Only the owner's write permission is added.
  EXPECT_EQ(fs::status(file).permissions() & (fs::perms::owner_write | fs::perms::group_write),
            fs::perms::owner_write);
  EXPECT_EQ(DeleteStoreFile(u"\\windows\\EVIL.exe"), kOk);
  EXPECT_FALSE(fs::exists(file));
}

TEST_F(StoreTest, AttributesAndDeleteRefuseFoldersLinksAndMissingFolders) {
  const fs::path secret = prefix_.Path() / "outside/secret.txt";
  fs::permissions(secret, fs::perms::owner_write, fs::perm_options::remove);
  for (const std::u16string_view path : {u"\\Docs", u"\\OutDir\\secret.txt", u"\\Nowhere\\x"}) {
    EXPECT_EQ(SetNormalAttributes(path), kFailed) << Utf16ToUtf8(path);
    EXPECT_EQ(DeleteStoreFile(path), kFailed) << Utf16ToUtf8(path);
  }
  for (const std::u16string_view path :
       {u"\\Docs\\absent.txt", u"\\InLink.txt", u"\\OutLink.txt"}) {
    EXPECT_EQ(SetNormalAttributes(path), kNotFound) << Utf16ToUtf8(path);
    EXPECT_EQ(DeleteStoreFile(path), kNotFound) << Utf16ToUtf8(path);
  }
  EXPECT_TRUE(fs::is_symlink(prefix_.Store() / "InLink.txt"));
  EXPECT_TRUE(fs::exists(prefix_.Store() / "Docs/Notes.txt"));
  EXPECT_EQ(fs::status(secret).permissions() & fs::perms::owner_write, fs::perms::none);
}

}  // namespace
}  // namespace kv::platform
