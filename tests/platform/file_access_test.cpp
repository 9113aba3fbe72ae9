// Files of the store once found: the handset's sharing rules, size and whole
// reads, read-only mapping, and "set attributes to normal" with delete.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/files.h"
#include "support/temp_files.h"

namespace kv::platform {
namespace {

namespace fs = std::filesystem;

constexpr std::u16string_view kPath = u"\\Windows\\evil.exe";
const std::string kContent("MZ\0\x01payload\xFF", 12);

class FileAccessTest : public ::testing::Test {
 protected:
  void SetUp() override { file_ = prefix_.WriteStoreFile("Windows/evil.exe", kContent); }

  testing::TempPrefix prefix_;
  fs::path file_;
};

TEST_F(FileAccessTest, SecondOpenObeysTheFirstOpenersShareModeUntilItCloses) {
  // clang-format off
  const std::tuple<const char*, Sharing, Sharing, bool> cases[] = {
      {"no sharing twice", Sharing::kNone, Sharing::kNone, false},
      {"read sharing, then none", Sharing::kRead, Sharing::kNone, false},
      {"read sharing twice", Sharing::kRead, Sharing::kRead, true}};
  // clang-format on
  for (const auto& [label, firstSharing, secondSharing, shared] : cases) {
    File first;
    File second;
    ASSERT_EQ(File::OpenForRead(kPath, firstSharing, first), FileStatus::kOk);
    EXPECT_EQ(File::OpenForRead(kPath, secondSharing, second) == FileStatus::kOk, shared) << label;
    EXPECT_EQ(second.IsOpen(), shared);
    EXPECT_TRUE(first.Close());
    EXPECT_EQ(File::OpenForRead(kPath, secondSharing, second), FileStatus::kOk);
  }
}

TEST_F(FileAccessTest, SizeReadAllAndMapGiveTheWholeFile) {
  File file;
  ASSERT_EQ(File::OpenForRead(kPath, Sharing::kNone, file), FileStatus::kOk);
  uint64_t size = 0;
  ASSERT_TRUE(file.Size(size));
  EXPECT_EQ(size, kContent.size());
  std::string content;
  EXPECT_FALSE(file.ReadAll(content, size - 1)) << "over the limit";
  ASSERT_TRUE(file.ReadAll(content, size));
  EXPECT_EQ(content, kContent);
  MappedView view;
  EXPECT_FALSE(MappedView::Map(file, size + 1, view)) << "past the end";
  ASSERT_TRUE(MappedView::Map(file, size, view));
  EXPECT_EQ(std::string(view.data(), view.size()), kContent);
  prefix_.WriteStoreFile("Windows/empty.dat", "");
  ASSERT_EQ(File::OpenForRead(u"\\Windows\\empty.dat", Sharing::kNone, file), FileStatus::kOk);
  EXPECT_FALSE(MappedView::Map(file, 0, view)) << "an empty file is never mapped";
}

TEST_F(FileAccessTest, ReadOnlyFileIsDeletedOnlyAfterSetNormalAttributes) {
  fs::permissions(file_, fs::perms::owner_write | fs::perms::group_write, fs::perm_options::remove);
  EXPECT_EQ(DeleteStoreFile(kPath), FileStatus::kFailed);
  EXPECT_TRUE(fs::exists(file_));
  EXPECT_EQ(SetNormalAttributes(u"\\WINDOWS\\Evil.exe"), FileStatus::kOk);
  // Only the owner's write permission is added.
  EXPECT_EQ(fs::status(file_).permissions() & (fs::perms::owner_write | fs::perms::group_write),
            fs::perms::owner_write);
  EXPECT_EQ(DeleteStoreFile(u"\\windows\\EVIL.exe"), FileStatus::kOk);
  EXPECT_FALSE(fs::exists(file_));
}

TEST_F(FileAccessTest, NeitherOperationActsOnAFolderOrOnOrThroughALink) {
  const fs::path victim = prefix_.Prefix() / "outside/victim.exe";
  testing::WriteFile(victim, "keep me");
  fs::permissions(victim, fs::perms::owner_write, fs::perm_options::remove);
  fs::create_symlink(file_, prefix_.Store() / "link.exe");
  fs::create_directory_symlink(victim.parent_path(), prefix_.Store() / "OutDir");
  for (const std::u16string_view path :
       {u"\\Windows", u"\\link.exe", u"\\OutDir\\victim.exe", u"\\Nowhere\\evil.exe"}) {
    EXPECT_EQ(SetNormalAttributes(path), FileStatus::kFailed);
    EXPECT_EQ(DeleteStoreFile(path), FileStatus::kFailed);
  }
  EXPECT_EQ(SetNormalAttributes(u"\\Windows\\absent.exe"), FileStatus::kFileNotFound);
  EXPECT_EQ(DeleteStoreFile(u"\\Windows\\absent.exe"), FileStatus::kFileNotFound);
  EXPECT_TRUE(fs::is_symlink(prefix_.Store() / "link.exe"));
  EXPECT_TRUE(fs::exists(file_));
  EXPECT_EQ(fs::status(victim).permissions() & fs::perms::owner_write, fs::perms::none);
}

}  // namespace
}  // namespace kv::platform
