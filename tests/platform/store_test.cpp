// The Store: what Open creates and refuses, that resolution starts from the
// root it opened (not from its host path again), and where the prefix comes
// from: the variable, an earlier ~/.kestrelvox, the XDG data folder.
#include "platform/store.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <tuple>

#include "platform/files.h"
#include "support/scoped_environment.h"
#include "support/temp_files.h"

namespace kv {
namespace {

namespace fs = std::filesystem;

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

TEST(Store, ResolvesFromTheRootItOpenedEvenWhenTheHostPathNowNamesAnother) {
  const testing::TempPrefix prefix;
  prefix.WriteStoreFile("Docs/a.txt", "first store");
  fs::rename(prefix.StorePath(), prefix.Path() / "moved");
  testing::WriteFile(prefix.StorePath() / "Docs" / "a.txt", "second store");
  EXPECT_EQ(ReadStoreFile(prefix.Store(), u"\\Docs\\a.txt"), "first store");
  EXPECT_EQ(DeleteStoreFile(prefix.Store(), u"\\Docs\\a.txt").status, FileStatus::kOk);
  EXPECT_FALSE(fs::exists(prefix.Path() / "moved" / "Docs" / "a.txt"));
  EXPECT_TRUE(fs::exists(prefix.StorePath() / "Docs" / "a.txt"));
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
