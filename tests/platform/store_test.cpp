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

#include "platform/environment.h"
#include "platform/files.h"
#include "support/temp_files.h"

namespace kv::platform {
namespace {

namespace fs = std::filesystem;

std::string ReadStoreFile(const Store& store, std::u16string_view path) {
  const Result<File> file = File::OpenForRead(store, path, Sharing::kRead);
  const Result<std::string> content = file.Ok() ? file.value.ReadAll() : file.Error();
  return content.Ok() ? content.value : "<unreadable>";
}

TEST(Store, OpenCreatesTheMissingPrefixAndStoreOnce) {
  const testing::TempDir dir;
  const fs::path prefix = dir.Path() / "a" / "b";
  const Result<Store> opened = Store::Open(prefix);
  ASSERT_TRUE(opened.Ok());
  const Store& store = opened.value;
  EXPECT_EQ(store.PrefixPath(), prefix);
  EXPECT_EQ(store.StorePath(), prefix / "store");
  EXPECT_TRUE(fs::is_directory(prefix / "store"));
  testing::WriteFile(prefix / "store" / "x.txt", "x");
  Result<Store> again = Store::Open(prefix);
  ASSERT_TRUE(again.Ok()) << "an existing prefix opens as it is";
  const Store moved = std::move(again.value);
  EXPECT_EQ(ReadStoreFile(moved, u"\\x.txt"), "x");
}

TEST(Store, OpenFailsWhereNoStoreFolderCanBeAndSuchAStoreOpensNothing) {
  const testing::TempDir dir;
  testing::WriteFile(dir.Path() / "file", "");
  testing::WriteFile(dir.Path() / "prefix" / "store", "");
  for (const fs::path& prefix : {dir.Path() / "file", dir.Path() / "prefix"}) {
    const Result<Store> opened = Store::Open(prefix);
    EXPECT_EQ(opened.status, FileStatus::kFailed) << prefix;
    EXPECT_EQ(opened.cause, ENOTDIR) << prefix;
    const Store& store = opened.value;
    EXPECT_EQ(File::OpenForRead(store, u"\\store", Sharing::kRead).status, FileStatus::kFailed);
    EXPECT_EQ(FileFinder::FindFirst(store, u"\\").status, FileStatus::kFailed);
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

TEST(ChoosePrefix, TakesTheVariableThenAnEarlierPrefixThenTheXdgDataFolder) {
  const kv::testing::TempDir fresh;
  const kv::testing::TempDir earlier;
  fs::create_directory(earlier.Path() / ".kestrelvox");
  const std::optional<std::string> unset;
  // KESTRELVOX_PREFIX, whether ~/.kestrelvox exists, XDG_DATA_HOME, the prefix
  // clang-format off
  const std::tuple<std::optional<std::string>, bool, std::optional<std::string>, fs::path> cases[] = {
      {"/srv/handset", true, "/xdg", "/srv/handset"},
      {"", true, "/xdg", earlier.Path() / ".kestrelvox"},
      {unset, true, unset, earlier.Path() / ".kestrelvox"},
      {unset, false, "/xdg", "/xdg/kestrelvox"},
      {unset, false, unset, fresh.Path() / ".local/share/kestrelvox"},
      {unset, false, "", fresh.Path() / ".local/share/kestrelvox"},
      {unset, false, "relative/data", fresh.Path() / ".local/share/kestrelvox"}};
  // clang-format on
  for (const auto& [configured, hasEarlier, xdg, expected] : cases) {
    EXPECT_EQ(ChoosePrefix(configured, hasEarlier ? earlier.Path() : fresh.Path(), xdg), expected)
        << configured.value_or("unset") << " " << hasEarlier << " " << xdg.value_or("unset");
  }
}

// The environment is process-wide: this test sets it while it alone runs
// (ctest runs every test in a process of its own) and puts it back.
TEST(PrefixFromEnvironment, ReadsTheVariablesAndFallsBackToTheAccountsHome) {
  const kv::testing::TempDir home;
  const std::optional<std::string> saved[] = {
      GetEnvironment("KESTRELVOX_PREFIX"), GetEnvironment("HOME"), GetEnvironment("XDG_DATA_HOME")};
  const passwd* account = ::getpwuid(::getuid());
  ASSERT_NE(account, nullptr);
  const fs::path accountHome = account->pw_dir;
  const std::string h = home.Path().string();
  // KESTRELVOX_PREFIX, HOME (nullopt: unset), XDG_DATA_HOME, the prefix
  // clang-format off
  const std::tuple<std::optional<std::string>, std::optional<std::string>,
                   std::optional<std::string>, fs::path> cases[] = {
      {"/srv/handset", h, "/xdg", "/srv/handset"},
      {"", h, "/xdg", "/xdg/kestrelvox"},
      {std::nullopt, h, std::nullopt, home.Path() / ".local/share/kestrelvox"},
      {std::nullopt, "", "/xdg", ChoosePrefix(std::nullopt, accountHome, "/xdg")},
      {std::nullopt, std::nullopt, "/xdg", ChoosePrefix(std::nullopt, accountHome, "/xdg")}};
  // clang-format on
  const auto put = [](const char* name, const std::optional<std::string>& value) {
    ASSERT_TRUE(value ? SetEnvironment(name, *value) : UnsetEnvironment(name));
  };
  for (const auto& [prefix, homeVariable, xdg, expected] : cases) {
    put("KESTRELVOX_PREFIX", prefix);
    put("HOME", homeVariable);
    put("XDG_DATA_HOME", xdg);
    EXPECT_EQ(PrefixFromEnvironment(), expected)
        << prefix.value_or("unset") << " " << homeVariable.value_or("unset");
  }
  put("KESTRELVOX_PREFIX", saved[0]);
  put("HOME", saved[1]);
  put("XDG_DATA_HOME", saved[2]);
}

}  // namespace
}  // namespace kv::platform
