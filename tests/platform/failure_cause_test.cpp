// The cause a failed file call carries up to its caller: each failure the
// fault seam injects comes back with the host's error number a real one
// would give. (Its text in a message is in tarnscan's tests.)
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <span>
#include <tuple>

#include "platform/fault_injection.h"
#include "platform/files.h"
#include "support/temp_files.h"

namespace kv {
namespace {

TEST(FailureCause, AFailedCallCarriesTheHostsCauseUpToItsCaller) {
  const testing::TempPrefix prefix;
  prefix.WriteStoreFile("file.dat", "bytes");
  const Store& store = prefix.Store();
  const auto open = [&] { return File::OpenForRead(store, u"\\file.dat", Sharing::kNone); };
  const auto replace = [&] { return ReplaceStoreFile(store, u"\\file.dat", "new bytes"); };
  using enum FaultPoint;
  // what fails, where, the call, the cause it carries
  const std::tuple<const char*, FaultPoint, std::function<Result<void>()>, int> rows[] = {
      {"short read", kRead, [&] { return Result<void>(open().value.ReadAll().Error()); }, EIO},
      {"sequential read", kRead,
       [&] { return Result<void>(open().value.Read(std::span<char>()).Error()); }, EIO},
      {"close", kClose, [&] { return open().value.Close(); }, EIO},
      {"delete", kDelete, [&] { return DeleteStoreFile(store, u"\\file.dat"); }, EPERM},
      {"replacement's create", kCreate, replace, EACCES},
      {"replacement's write", kWrite, replace, ENOSPC},
      {"replacement's rename", kRename, replace, EACCES},
  };
  for (const auto& [label, point, call, cause] : rows) {
    const ScopedFault fault(point);
    const Result<void> result = call();
    EXPECT_EQ(result.status, FileStatus::kFailed) << label;
    EXPECT_EQ(result.cause, cause) << label;
  }
  EXPECT_EQ(testing::ReadFile(prefix.StorePath() / "file.dat"), "bytes")
      << "no failed step changed the file";
  EXPECT_EQ(WithCause("failed", 0), "failed") << "no cause, no text";
}

}  // namespace
}  // namespace kv
