// "Set attributes to normal" and delete: read-only files, folders, links,
// and the FileStatus distinction for missing files and folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/files.h"
#include "support/label_name.h"
#include "support/temp_prefix.h"

namespace kv::platform {
namespace {

namespace fs = std::filesystem;

bool OwnerMayWrite(const fs::path& path) {
  return (fs::symlink_status(path).permissions() & fs::perms::owner_write) != fs::perms::none;
}

void MakeReadOnly(const fs::path& path) {
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

class StoreFileOpsTest : public ::testing::Test {
 protected:
  testing::TempPrefix prefix_;
};

TEST_F(StoreFileOpsTest, ReadOnlyFileIsDeletedOnlyAfterSetNormalAttributes) {
  const fs::path file = prefix_.WriteStoreFile("Windows/evil.exe", "x");
  MakeReadOnly(file);
  EXPECT_EQ(DeleteStoreFile(u"\\Windows\\evil.exe"), FileStatus::kFailed);
  EXPECT_TRUE(fs::exists(file));

  EXPECT_EQ(SetNormalAttributes(u"\\Windows\\evil.exe"), FileStatus::kOk);
  EXPECT_TRUE(OwnerMayWrite(file));
  // Only the owner's write permission is added; nothing else changes.
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::group_write, fs::perms::none);

  EXPECT_EQ(DeleteStoreFile(u"\\Windows\\evil.exe"), FileStatus::kOk);
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ(DeleteStoreFile(u"\\Windows\\evil.exe"), FileStatus::kFileNotFound);
}

TEST_F(StoreFileOpsTest, SetNormalAttributesLeavesAWritableFileWritable) {
  const fs::path file = prefix_.WriteStoreFile("a.exe", "x");
  EXPECT_EQ(SetNormalAttributes(u"\\a.exe"), FileStatus::kOk);
  EXPECT_TRUE(OwnerMayWrite(file));
}

TEST_F(StoreFileOpsTest, DeleteFindsTheFileIgnoringCase) {
  const fs::path file = prefix_.WriteStoreFile("Windows/Evil.exe", "x");
  EXPECT_EQ(DeleteStoreFile(u"\\WINDOWS\\evil.EXE"), FileStatus::kOk);
  EXPECT_FALSE(fs::exists(file));
}

struct MissingCase {
  const char* label;
  std::u16string path;
  FileStatus status;
};

class MissingTargetTest : public StoreFileOpsTest,
                          public ::testing::WithParamInterface<MissingCase> {
 protected:
  void SetUp() override { prefix_.WriteStoreFile("Windows/present.exe", "x"); }
};

TEST_P(MissingTargetTest, BothOperationsTellMissingFileFromMissingFolder) {
  EXPECT_EQ(SetNormalAttributes(GetParam().path), GetParam().status) << GetParam().label;
  EXPECT_EQ(DeleteStoreFile(GetParam().path), GetParam().status) << GetParam().label;
}

INSTANTIATE_TEST_SUITE_P(
    Table, MissingTargetTest,
    ::testing::Values(
        MissingCase{"missing file", u"\\Windows\\absent.exe", FileStatus::kFileNotFound},
        MissingCase{"missing folder", u"\\Nowhere\\absent.exe", FileStatus::kFailed},
        MissingCase{"root", u"\\", FileStatus::kFailed},
        MissingCase{"dot dot", u"\\Windows\\..\\Windows\\present.exe", FileStatus::kFailed}),
    kv::testing::LabelName());

TEST_F(StoreFileOpsTest, DeleteRefusesAFolder) {
  fs::create_directories(prefix_.Store() / "Windows/Empty");
  EXPECT_EQ(DeleteStoreFile(u"\\Windows\\Empty"), FileStatus::kFailed);
  EXPECT_EQ(SetNormalAttributes(u"\\Windows\\Empty"), FileStatus::kFailed);
  EXPECT_TRUE(fs::is_directory(prefix_.Store() / "Windows/Empty"));
}

TEST_F(StoreFileOpsTest, NeitherOperationActsOnOrThroughALink) {
  const fs::path outside = prefix_.Prefix() / "outside";
  fs::create_directories(outside);
  const fs::path target = outside / "victim.exe";
  std::ofstream(target) << "keep me";
  MakeReadOnly(target);
  fs::create_symlink(target, prefix_.Store() / "link.exe");
  fs::create_directory_symlink(outside, prefix_.Store() / "OutDir");

  EXPECT_EQ(SetNormalAttributes(u"\\link.exe"), FileStatus::kFailed);
  EXPECT_EQ(DeleteStoreFile(u"\\link.exe"), FileStatus::kFailed);
  EXPECT_EQ(SetNormalAttributes(u"\\OutDir\\victim.exe"), FileStatus::kFailed);
  EXPECT_EQ(DeleteStoreFile(u"\\OutDir\\victim.exe"), FileStatus::kFailed);

  EXPECT_TRUE(fs::is_symlink(prefix_.Store() / "link.exe"));
  EXPECT_TRUE(fs::exists(target));
  EXPECT_FALSE(OwnerMayWrite(target));
}

}  // namespace
}  // namespace kv::platform
