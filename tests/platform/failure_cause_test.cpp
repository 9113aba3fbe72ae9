// The cause a failed file call carries up to its caller: each failure the
// fault seam injects comes back with the host's error number a real one
// would give, and its text for a message.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <span>
#include <string>

#include "platform/fault_injection.h"
#include "platform/files.h"
#include "support/temp_files.h"

namespace kv {
namespace {

class FailureCauseTest : public ::testing::Test {
 protected:
  void SetUp() override { prefix_.WriteStoreFile("file.dat", "bytes"); }
  void TearDown() override { ClearFaults(); }

  testing::TempPrefix prefix_;
  const Store& store_ = prefix_.Store();
};

TEST_F(FailureCauseTest, AFailedCallCarriesTheHostsCauseUpToItsCaller) {
  struct Row {
    const char* label;
    FaultPoint point;
    std::function<Result<void>()> call;
    int cause;
  };
  const auto open = [this] { return File::OpenForRead(store_, u"\\file.dat", Sharing::kNone); };
  const auto replace = [this] { return ReplaceStoreFile(store_, u"\\file.dat", "new bytes"); };
  const Row rows[] = {
      {"short read", FaultPoint::kRead,
       [&] { return Result<void>(open().value.ReadAll().Error()); }, EIO},
      {"sequential read", FaultPoint::kRead,
       [&] { return Result<void>(open().value.Read(std::span<char>()).Error()); }, EIO},
      {"close", FaultPoint::kClose, [&] { return open().value.Close(); }, EIO},
      {"delete", FaultPoint::kDelete, [this] { return DeleteStoreFile(store_, u"\\file.dat"); },
       EPERM},
      {"replacement's create", FaultPoint::kCreate, replace, EACCES},
      {"replacement's write", FaultPoint::kWrite, replace, ENOSPC},
      {"replacement's rename", FaultPoint::kRename, replace, EACCES},
  };
  for (const Row& row : rows) {
    const ScopedFault fault(row.point);
    const Result<void> result = row.call();
    EXPECT_EQ(result.status, FileStatus::kFailed) << row.label;
    EXPECT_EQ(result.cause, row.cause) << row.label;
    EXPECT_EQ(WithCause("failed", result.cause), "failed: " + ErrorText(row.cause)) << row.label;
  }
  EXPECT_EQ(testing::ReadFile(prefix_.StorePath() / "file.dat"), "bytes")
      << "no failed step changed the file";
  EXPECT_EQ(WithCause("failed", 0), "failed") << "no cause, no text";
}

}  // namespace
}  // namespace kv
