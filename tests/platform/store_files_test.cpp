// The store's file services against a real store: which file a device path
// opens (exact and case-insensitive names and twins, "..", links anywhere on
// the path, length, non-ASCII and non-UTF-8 host names) or which FileStatus
// it fails with; folder listings and opens relative to the listed folder;
// reads; and "set attributes to normal" with delete and the quarantine.
// Then host files named on a command line, which open only when regular;
// and the Store itself: what Open creates and refuses, and where the prefix
// comes from.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <tuple>

#include "platform/files.h"
#include "platform/quarantine.h"
#include "platform/store.h"
#include "platform/text.h"
#include "support/scoped_environment.h"
#include "support/temp_files.h"

namespace kv {
namespace {

namespace fs = std::filesystem;

constexpr QuarantineNote kNote{u"Trojan.Test", u"autocheck"};
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
    const fs::path store = prefix_.StorePath();
    const fs::path outside = prefix_.Path() / "outside";
    fs::create_directory(store / "Empty");
    testing::WriteFile(outside / "secret.txt", "secret");
    fs::create_symlink(store / "Docs/Notes.txt", store / "InLink.txt");
    fs::create_directory_symlink(store / "Docs", store / "InDir");
    fs::create_symlink(outside / "secret.txt", store / "OutLink.txt");
    fs::create_directory_symlink(outside, store / "OutDir");
  }

  testing::TempPrefix prefix_;
  const Store& store_ = prefix_.Store();
};

using enum FileStatus;

// What does not open is also refused by "set attributes to normal", delete
// and the quarantine (which stands in for deletion), with nothing changed,
// least of all outside the store.
TEST_F(StoreTest, PathOpensTheRightFileOrFailsAndChangesToItAreRefusedAlike) {
  const fs::path secret = prefix_.Path() / "outside/secret.txt";
  fs::permissions(secret, fs::perms::owner_write, fs::perm_options::remove);
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
      {"missing file in an existing folder", u"\\DOCS\\missing.txt", kFileNotFound, ""},
      {"missing folder", u"\\Nowhere\\readme.txt", kFailed, ""},
      {"a file used as a folder", u"\\Docs\\Notes.txt\\x", kFailed, ""},
      {"a directory", u"\\Docs", kNotRegular, ""},
      {"dot dot out of the store", u"\\..\\outside\\secret.txt", kFailed, ""},
      // A link is no file: absent from its folder, or the folder is absent.
      {"link to a file outside", u"\\OutLink.txt", kFileNotFound, ""},
      {"link to a file inside", u"\\InLink.txt", kFileNotFound, ""},
      {"link to a folder outside", u"\\OutDir\\secret.txt", kFailed, ""},
      {"slash inside a name", u"\\Docs/Notes.txt", kFailed, ""},
      {"lone surrogate that is no byte escape", u"\\Docs\\\xD800.txt", kFailed, ""},
      // C3 84 as escapes would spell the UTF-8 of U+00C4: one file, two names.
      {"byte escapes spelling utf-8", u"\\M\u00FCsic\\\xDCC3\xDC84rger.exe", kFailed, ""}};
  // clang-format on
  for (const auto& [label, path, status, content] : cases) {
    const Result<File> file = File::OpenForRead(store_, path, Sharing::kRead);
    EXPECT_EQ(file.status, status) << label;
    EXPECT_EQ(file.value.IsOpen() ? file.value.ReadAll().value : "", content) << label;
    if (status == kOk) continue;
    const FileStatus refused = status == kNotRegular ? kFailed : status;
    EXPECT_EQ(SetNormalAttributes(store_, path).status, refused) << label;
    EXPECT_EQ(DeleteStoreFile(store_, path).status, refused) << label;
    EXPECT_EQ(QuarantineStoreFile(store_, path, kNote).status,
              refused == kFileNotFound ? QuarantineStatus::kNotFound : QuarantineStatus::kFailed)
        << label;
  }
  EXPECT_TRUE(fs::is_symlink(prefix_.StorePath() / "InLink.txt"));
  EXPECT_EQ(testing::ReadFile(prefix_.StorePath() / "Docs/Notes.txt"), "notes");
  EXPECT_EQ(testing::ReadFile(secret), "secret");
  EXPECT_EQ(fs::status(secret).permissions() & fs::perms::owner_write, fs::perms::none);
  EXPECT_TRUE(ListQuarantine(store_).value.items.empty());
}

using Listing = std::multimap<std::u16string, bool>;  // name -> isDirectory

FileStatus ListFolder(const Store& store, std::u16string_view folder, Listing& listing) {
  Result<FirstFound> first = FileFinder::FindFirst(store, folder);
  FileFinder& finder = first.value.finder;
  for (std::optional<FindEntry> entry = first.value.entry; first.Ok() && entry;
       entry = finder.FindNext()) {
    listing.emplace(entry->name, entry->isDirectory);
  }
  EXPECT_FALSE(finder.FindNext()) << "the end of a listing stays the end";
  return first.status;
}

TEST_F(StoreTest, ListsFoldersAndFilesButNoLinksNorDotsAndFailsForAnythingElse) {
  // clang-format off
  const Listing root = {{u"Program Files", true}, {u"Docs", true}, {u"M\u00FCsic", true},
                        {u"\u0160koda", true}, {u"Bad\xDCFF.exe", false}, {u"Empty", true},
                        {u"Windows", true}, {std::u16string(100, u'd'), true}};
  const Listing docs = {{u"readme.txt", false}, {u"ReadMe.TXT", false}, {u"README.TXT", false},
                        {u"Notes.txt", false}, {u"..dots", true}};
  const std::tuple<std::u16string_view, FileStatus, Listing> cases[] = {
      {u"", kOk, root}, {u"\\", kOk, root}, {u"\\docs", kOk, docs}, {u"\\Empty", kFileNotFound, {}},
      {u"\\Nowhere", kFailed, {}}, {u"\\Docs\\Notes.txt", kFailed, {}}, {u"\\InDir", kFailed, {}},
      {u"\\Docs\\..", kFailed, {}}};
  // clang-format on
  for (const auto& [path, status, expected] : cases) {
    Listing listing;
    EXPECT_EQ(ListFolder(store_, path, listing), status) << Utf16ToUtf8(path);
    EXPECT_EQ(listing, expected) << Utf16ToUtf8(path);
  }
}

TEST_F(StoreTest, FinderOpensWhatItListsFromTheFolderItHoldsByTheRulesOfOpenForRead) {
  EXPECT_EQ(FileFinder().OpenFile(u"Notes.txt", Sharing::kRead).status, kFailed)
      << "nothing listed";
  Result<FirstFound> first = FileFinder::FindFirst(store_, u"\\Docs");
  FileFinder& finder = first.value.finder;
  Result<File> file;
  // The walk's folder stays the one listed, wherever the host moves it.
  fs::rename(prefix_.StorePath() / "Docs", prefix_.StorePath() / "Moved");
  std::map<std::u16string, std::string> read;
  std::optional<ListedFile> lower;  // opened again once its finder is gone
  for (std::optional<FindEntry> entry = first.value.entry; entry; entry = finder.FindNext()) {
    if (entry->isDirectory) continue;
    if (entry->name == u"readme.txt") lower = finder.LastListedFile(entry->name);
    EXPECT_FALSE(finder.LastListedFile(u"absent.txt")) << "only the entry just listed";
    file = finder.OpenFile(entry->name, Sharing::kNone);
    ASSERT_EQ(file.status, kOk) << Utf16ToUtf8(entry->name);
    read[entry->name] = file.value.ReadAll().value;
  }
  // clang-format off
  const std::map<std::u16string, std::string> expected = {
      {u"readme.txt", "lower"}, {u"ReadMe.TXT", "mixed"}, {u"README.TXT", "upper"},
      {u"Notes.txt", "notes"}};
  // clang-format on
  EXPECT_EQ(read, expected);
  EXPECT_TRUE(file.value.Close().Ok());
  EXPECT_EQ(finder.OpenFile(u"NOTES.TXT", Sharing::kRead).status, kOk) << "case ignored";
  EXPECT_EQ(finder.OpenFile(u"absent.txt", Sharing::kRead).status, kFileNotFound);
  EXPECT_EQ(finder.OpenFile(u"..dots", Sharing::kRead).status, kNotRegular);
  EXPECT_EQ(finder.OpenFile(u"..", Sharing::kRead).status, kFailed);
  // What replaced a listed file since is refused: a link as absent, a pipe as no file.
  const fs::path replaced = prefix_.StorePath() / "Moved/Notes.txt";
  fs::remove(replaced);
  fs::create_symlink(prefix_.StorePath() / "Windows/evil.exe", replaced);
  EXPECT_EQ(finder.OpenFile(u"Notes.txt", Sharing::kNone).status, kFileNotFound);
  fs::remove(replaced);
  ASSERT_EQ(::mkfifo(replaced.c_str(), 0600), 0);
  EXPECT_EQ(finder.OpenFile(u"Notes.txt", Sharing::kNone).status, kNotRegular);
  first = FileFinder::FindFirst(store_, u"\\");
  EXPECT_EQ(first.value.finder.OpenFile(u"InLink.txt", Sharing::kRead).status, kFileNotFound);
  ASSERT_TRUE(lower);
  EXPECT_EQ(lower->Open(Sharing::kNone).value.ReadAll().value, "lower");
}

TEST_F(StoreTest, SizeAndReadAllGiveTheWholeFileWithinItsLimit) {
  Result<File> file = File::OpenForRead(store_, u"\\Windows\\evil.exe", Sharing::kNone);
  ASSERT_EQ(file.value.Size().value, kBinary.size());
  std::string buffer(1000, 'x');  // a buffer larger than the file is used, not shrunk
  EXPECT_FALSE(file.value.ReadAllInto(buffer, kBinary.size() - 1).Ok()) << "over the limit";
  EXPECT_EQ(file.value.ReadAllInto(buffer, kBinary.size()).value, kBinary);
  file = File::OpenForRead(store_, u"\\Windows\\empty.dat", Sharing::kNone);
  const Result<std::string_view> empty = file.value.ReadAllInto(buffer);
  EXPECT_TRUE(empty.Ok());
  EXPECT_EQ(empty.value, "");
}

TEST_F(StoreTest, ReadOnlyFileIsRemovedOnlyAfterSetNormalAttributes) {
  const fs::path file = prefix_.StorePath() / "Windows/evil.exe";
  fs::permissions(file, fs::perms::owner_write | fs::perms::group_write, fs::perm_options::remove);
  EXPECT_EQ(DeleteStoreFile(store_, u"\\Windows\\evil.exe").status, kFailed);
  EXPECT_EQ(QuarantineStoreFile(store_, u"\\Windows\\evil.exe", kNote).status,
            QuarantineStatus::kFailed);
  EXPECT_TRUE(fs::exists(file));
  EXPECT_EQ(SetNormalAttributes(store_, u"\\WINDOWS\\Evil.exe").status, kOk);
  // Only the owner's write permission is added.
  EXPECT_EQ(fs::status(file).permissions() & (fs::perms::owner_write | fs::perms::group_write),
            fs::perms::owner_write);
  EXPECT_EQ(DeleteStoreFile(store_, u"\\windows\\EVIL.exe").status, kOk);
  EXPECT_FALSE(fs::exists(file));
}

// Host files named on a command line: a regular file, also through a
// link, opens and reads; a directory and a pipe are refused at once without
// being read (a device: tarnsig's tests); a missing file is "not found", and
// so is a link when links are refused (a walk's files).
TEST_F(StoreTest, HostFileOpensOnlyWhenRegularAndNeverBlocks) {
  const fs::path store = prefix_.StorePath();
  ASSERT_EQ(::mkfifo((store / "fifo").c_str(), 0600), 0);
  using enum LinkRule;
  const fs::path notes = store / "Docs/Notes.txt", link = store / "InLink.txt";
  // clang-format off
  const std::tuple<fs::path, LinkRule, FileStatus, std::string> cases[] = {
      {notes, kFollow, kOk, "notes"}, {notes, kRefuse, kOk, "notes"}, {link, kFollow, kOk, "notes"},
      {link, kRefuse, kFileNotFound, ""}, {store / "Docs", kFollow, kNotRegular, ""},
      {store / "fifo", kFollow, kNotRegular, ""}, {store / "missing", kFollow, kFileNotFound, ""}};
  // clang-format on
  for (const auto& [path, links, status, content] : cases) {
    const Result<File> file = File::OpenHostFile(path, Sharing::kRead, links);
    EXPECT_EQ(file.status, status) << path;
    EXPECT_EQ(file.value.IsOpen(), status == FileStatus::kOk) << path;
    EXPECT_EQ(file.value.IsOpen() ? file.value.ReadAll().value : "", content) << path;
  }
}

// The Store: what Open creates and refuses, that resolution starts from the
// root it opened (not from its host path again), and where the prefix comes
// from: the variable, an earlier ~/.kestrelvox, the XDG data folder.

// What the store file holds; empty when it does not open.
std::string ReadStoreFile(const Store& store, std::u16string_view path) {
  return File::OpenForRead(store, path, Sharing::kRead).value.ReadAll().value;
}

TEST(Store, OpenCreatesTheMissingPrefixAndStoreOnceOrFailsWhereNoStoreFolderCanBe) {
  const testing::TempDir dir;
  const fs::path prefix = dir.Path() / "a" / "b";
  const Result<Store> opened = Store::Open(prefix);
  ASSERT_TRUE(opened.Ok());
  EXPECT_TRUE(fs::is_directory(prefix / "store"));
  testing::WriteFile(prefix / "store" / "x.txt", "x");
  // An existing prefix opens as it is.
  const Store moved = std::move(Store::Open(prefix).value);
  EXPECT_EQ(ReadStoreFile(moved, u"\\x.txt"), "x");

  // A store that failed to open opens nothing.
  testing::WriteFile(dir.Path() / "file", "");
  testing::WriteFile(dir.Path() / "prefix" / "store", "");
  for (const fs::path& bad : {dir.Path() / "file", dir.Path() / "prefix"}) {
    const Result<Store> refused = Store::Open(bad);
    EXPECT_EQ(refused.status, FileStatus::kFailed) << bad;
    EXPECT_EQ(refused.cause, ENOTDIR) << bad;
    EXPECT_EQ(File::OpenForRead(refused.value, u"\\store", Sharing::kRead).status,
              FileStatus::kFailed);
    EXPECT_EQ(FileFinder::FindFirst(refused.value, u"\\").status, FileStatus::kFailed);
  }
}

TEST_F(StoreTest, ResolvesFromTheRootItOpenedEvenWhenTheHostPathNowNamesAnother) {
  fs::rename(prefix_.StorePath(), prefix_.Path() / "moved");
  testing::WriteFile(prefix_.StorePath() / "Docs" / "Notes.txt", "second store");
  EXPECT_EQ(ReadStoreFile(store_, u"\\Docs\\Notes.txt"), "notes");
  EXPECT_EQ(DeleteStoreFile(store_, u"\\Docs\\Notes.txt").status, FileStatus::kOk);
  EXPECT_FALSE(fs::exists(prefix_.Path() / "moved" / "Docs" / "Notes.txt"));
  EXPECT_TRUE(fs::exists(prefix_.StorePath() / "Docs" / "Notes.txt"));
}

// The environment is process-wide: this test sets it while it alone runs
// (ctest runs every test in a process of its own) and puts it back.
TEST(PrefixFromEnvironment, TakesTheVariableThenAnEarlierPrefixThenTheXdgDataFolder) {
  const kv::testing::TempDir fresh;
  const kv::testing::TempDir earlier;
  fs::create_directory(earlier.Path() / ".kestrelvox");
  const passwd* account = ::getpwuid(::getuid());
  ASSERT_NE(account, nullptr);
  const fs::path accountHome = account->pw_dir;
  const std::optional<std::string> unset;
  const std::string f = fresh.Path().string();
  const std::string e = earlier.Path().string();
  // KESTRELVOX_PREFIX, HOME (unset or empty: the account's), XDG_DATA_HOME,
  // the prefix
  // clang-format off
  const std::tuple<std::optional<std::string>, std::optional<std::string>,
                   std::optional<std::string>, fs::path> cases[] = {
      {"/srv/handset", e, "/xdg", "/srv/handset"},
      {"", e, "/xdg", earlier.Path() / ".kestrelvox"},
      {unset, e, unset, earlier.Path() / ".kestrelvox"},
      {unset, f, "/xdg", "/xdg/kestrelvox"},
      {unset, f, unset, fresh.Path() / ".local/share/kestrelvox"},
      {unset, f, "", fresh.Path() / ".local/share/kestrelvox"},
      {unset, f, "relative/data", fresh.Path() / ".local/share/kestrelvox"},
      {unset, "", "/xdg", ChoosePrefix(unset, accountHome, "/xdg")},
      {unset, unset, "/xdg", ChoosePrefix(unset, accountHome, "/xdg")}};
  // clang-format on
  for (const auto& [prefix, home, xdg, expected] : cases) {
    kv::testing::ScopedEnvironment environment;
    environment.Set("KESTRELVOX_PREFIX", prefix).Set("HOME", home).Set("XDG_DATA_HOME", xdg);
    EXPECT_EQ(PrefixFromEnvironment(), expected)
        << prefix.value_or("unset") << " " << home.value_or("unset") << " "
        << xdg.value_or("unset");
  }
}

}  // namespace
}  // namespace kv
