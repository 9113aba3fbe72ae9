// Open files: the handset's sharing rules, size and whole reads, and
// read-only mapping.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/files.h"
#include "support/label_name.h"
#include "support/temp_prefix.h"

namespace kv::platform {
namespace {

constexpr std::u16string_view kPath = u"\\Windows\\evil.exe";

class FileAccessTest : public ::testing::Test {
 protected:
  void SetUp() override { prefix_.WriteStoreFile("Windows/evil.exe", kContent); }

  const std::string kContent = std::string("MZ\0\x01payload\xFF", 12);
  testing::TempPrefix prefix_;
};

struct SharingCase {
  const char* label;
  Sharing first;
  Sharing second;
  FileStatus secondStatus;
};

class SharingTest : public FileAccessTest, public ::testing::WithParamInterface<SharingCase> {};

TEST_P(SharingTest, SecondOpenObeysTheFirstOpenersShareMode) {
  File first;
  ASSERT_EQ(File::OpenForRead(kPath, GetParam().first, first), FileStatus::kOk);
  File second;
  EXPECT_EQ(File::OpenForRead(kPath, GetParam().second, second), GetParam().secondStatus)
      << GetParam().label;
  EXPECT_EQ(second.IsOpen(), GetParam().secondStatus == FileStatus::kOk);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SharingTest,
    ::testing::Values(
        SharingCase{"no sharing twice", Sharing::kNone, Sharing::kNone, FileStatus::kFailed},
        SharingCase{"read sharing, then no sharing", Sharing::kRead, Sharing::kNone,
                    FileStatus::kFailed},
        SharingCase{"no sharing, then read sharing", Sharing::kNone, Sharing::kRead,
                    FileStatus::kFailed},
        SharingCase{"read sharing twice", Sharing::kRead, Sharing::kRead, FileStatus::kOk}),
    kv::testing::LabelName());

TEST_F(FileAccessTest, ClosingReleasesTheLock) {
  File first;
  ASSERT_EQ(File::OpenForRead(kPath, Sharing::kNone, first), FileStatus::kOk);
  EXPECT_TRUE(first.Close());
  EXPECT_FALSE(first.IsOpen());
  File second;
  EXPECT_EQ(File::OpenForRead(kPath, Sharing::kNone, second), FileStatus::kOk);
}

TEST_F(FileAccessTest, DestructionReleasesTheLock) {
  {
    File first;
    ASSERT_EQ(File::OpenForRead(kPath, Sharing::kNone, first), FileStatus::kOk);
  }
  File second;
  EXPECT_EQ(File::OpenForRead(kPath, Sharing::kNone, second), FileStatus::kOk);
}

TEST_F(FileAccessTest, MovedFileKeepsTheLock) {
  File first;
  ASSERT_EQ(File::OpenForRead(kPath, Sharing::kNone, first), FileStatus::kOk);
  File moved = std::move(first);
  File second;
  EXPECT_EQ(File::OpenForRead(kPath, Sharing::kNone, second), FileStatus::kFailed);
  EXPECT_TRUE(moved.IsOpen());
}

TEST_F(FileAccessTest, SizeAndReadAllGiveTheWholeFile) {
  File file;
  ASSERT_EQ(File::OpenForRead(kPath, Sharing::kNone, file), FileStatus::kOk);
  uint64_t size = 0;
  ASSERT_TRUE(file.Size(size));
  EXPECT_EQ(size, kContent.size());
  std::string content = "stale";
  ASSERT_TRUE(file.ReadAll(content));
  EXPECT_EQ(content, kContent);
  // A second read starts at offset 0 again.
  ASSERT_TRUE(file.ReadAll(content));
  EXPECT_EQ(content, kContent);
}

TEST_F(FileAccessTest, ReadAllRefusesAFileOverTheLimit) {
  File file;
  ASSERT_EQ(File::OpenForRead(kPath, Sharing::kNone, file), FileStatus::kOk);
  std::string content;
  EXPECT_FALSE(file.ReadAll(content, kContent.size() - 1));
  EXPECT_TRUE(file.ReadAll(content, kContent.size()));
  EXPECT_EQ(content, kContent);
}

TEST_F(FileAccessTest, AClosedFileCannotBeSizedOrRead) {
  File file;
  uint64_t size = 0;
  std::string content;
  EXPECT_FALSE(file.Size(size));
  EXPECT_FALSE(file.ReadAll(content));
  ASSERT_EQ(File::OpenForRead(kPath, Sharing::kNone, file), FileStatus::kOk);
  ASSERT_TRUE(file.Close());
  EXPECT_FALSE(file.Size(size));
}

TEST_F(FileAccessTest, AFailedOpenLeavesTheFileClosed) {
  File file;
  ASSERT_EQ(File::OpenForRead(kPath, Sharing::kRead, file), FileStatus::kOk);
  EXPECT_EQ(File::OpenForRead(u"\\Windows\\missing.exe", Sharing::kRead, file),
            FileStatus::kFileNotFound);
  EXPECT_FALSE(file.IsOpen());
}

TEST_F(FileAccessTest, MappedViewHoldsTheFileContent) {
  File file;
  ASSERT_EQ(File::OpenForRead(kPath, Sharing::kNone, file), FileStatus::kOk);
  MappedView view;
  ASSERT_TRUE(MappedView::Map(file, kContent.size(), view));
  ASSERT_EQ(view.size(), kContent.size());
  EXPECT_EQ(std::string(view.data(), view.size()), kContent);
}

TEST_F(FileAccessTest, MappedViewOutlivesTheClosedFileAndMoves) {
  File file;
  ASSERT_EQ(File::OpenForRead(kPath, Sharing::kNone, file), FileStatus::kOk);
  MappedView view;
  ASSERT_TRUE(MappedView::Map(file, kContent.size(), view));
  ASSERT_TRUE(file.Close());
  MappedView moved = std::move(view);
  EXPECT_EQ(view.data(), nullptr);
  EXPECT_EQ(view.size(), 0u);
  EXPECT_EQ(std::string(moved.data(), moved.size()), kContent);
}

TEST_F(FileAccessTest, EmptyFileIsNeverMapped) {
  prefix_.WriteStoreFile("Windows/empty.dat", "");
  File file;
  ASSERT_EQ(File::OpenForRead(u"\\Windows\\empty.dat", Sharing::kNone, file), FileStatus::kOk);
  uint64_t size = 1;
  ASSERT_TRUE(file.Size(size));
  EXPECT_EQ(size, 0u);
  MappedView view;
  EXPECT_FALSE(MappedView::Map(file, size, view));
  EXPECT_EQ(view.data(), nullptr);
}

TEST_F(FileAccessTest, MappingPastTheEndOrWithoutAFileFails) {
  File file;
  MappedView view;
  EXPECT_FALSE(MappedView::Map(file, 1, view));
  ASSERT_EQ(File::OpenForRead(kPath, Sharing::kNone, file), FileStatus::kOk);
  EXPECT_FALSE(MappedView::Map(file, kContent.size() + 1, view));
}

}  // namespace
}  // namespace kv::platform
