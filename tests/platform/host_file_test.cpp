// Opening host files named on a command line: a regular file, also through a
// link, opens and reads; a directory and a pipe are refused at once without
// being read (a device: tarnsig's tests); a missing file is "not found".
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "platform/files.h"
#include "support/temp_files.h"

namespace kv {
namespace {

namespace fs = std::filesystem;

TEST(OpenHostFile, OpensRegularFilesOnlyAndNeverBlocks) {
  const testing::TempDir dir;
  testing::WriteFile(dir.Path() / "file.dat", "bytes");
  fs::create_symlink(dir.Path() / "file.dat", dir.Path() / "link.dat");
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
  // clang-format off
  const std::tuple<fs::path, FileStatus, std::string> cases[] = {
      {dir.Path() / "file.dat", FileStatus::kOk, "bytes"},
      {dir.Path() / "link.dat", FileStatus::kOk, "bytes"},
      {dir.Path(), FileStatus::kNotRegular, ""},
      {dir.Path() / "fifo", FileStatus::kNotRegular, ""},
      {dir.Path() / "missing", FileStatus::kFileNotFound, ""}};
  // clang-format on
  for (const auto& [path, status, content] : cases) {
    const Result<File> file = File::OpenHostFile(path, Sharing::kRead);
    EXPECT_EQ(file.status, status) << path;
    EXPECT_EQ(file.value.IsOpen(), status == FileStatus::kOk) << path;
    EXPECT_EQ(file.value.IsOpen() ? file.value.ReadAll().value : "", content) << path;
  }
}

}  // namespace
}  // namespace kv
