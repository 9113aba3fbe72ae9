// The fault-injection seam through the real calls on real files: a short
// read, a failed close that still closes, a refused deletion that deletes
// nothing; the cause each failure carries up to its caller; how many calls
// an armed point fails; and arming and taking from several threads at once.
#include "platform/fault_injection.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "support/temp_files.h"

namespace kv::platform {
namespace {

class FaultInjectionTest : public ::testing::Test {
 protected:
  void SetUp() override { prefix_.WriteStoreFile("file.dat", "bytes"); }
  void TearDown() override { ClearFaults(); }

  // Reads \file.dat whole into a used buffer; "<failed>" and what the
  // buffer kept when the read fails.
  std::string ReadOnce() const {
    const Result<File> opened = File::OpenForRead(store_, u"\\file.dat", Sharing::kRead);
    EXPECT_EQ(opened.status, FileStatus::kOk);
    std::string content = "old";
    return opened.value.ReadAllInto(content).Ok() ? content : "<failed>" + content;
  }

  testing::TempPrefix prefix_;
  const Store& store_ = prefix_.Store();
};

TEST_F(FaultInjectionTest, ReadFailsAsAShortReadForTheArmedNumberOfCalls) {
  FailNext(FaultPoint::kRead, 2);
  EXPECT_EQ(ReadOnce(), "<failed>");
  EXPECT_EQ(ReadOnce(), "<failed>");
  EXPECT_EQ(ReadOnce(), "bytes");
}

TEST_F(FaultInjectionTest, FailedCloseStillClosesAndUnlocks) {
  Result<File> file = File::OpenForRead(store_, u"\\file.dat", Sharing::kNone);
  ASSERT_EQ(file.status, FileStatus::kOk);
  {
    const ScopedFault fault(FaultPoint::kClose);
    EXPECT_FALSE(file.value.Close().Ok());
  }
  EXPECT_FALSE(file.value.IsOpen());
  EXPECT_TRUE(file.value.Close().Ok()) << "closing a closed file is no failure";
  file = File::OpenForRead(store_, u"\\file.dat", Sharing::kNone);
  ASSERT_EQ(file.status, FileStatus::kOk);
  EXPECT_TRUE(file.value.Close().Ok());
}

TEST_F(FaultInjectionTest, RefusedDeletionDeletesNothing) {
  const std::filesystem::path host = prefix_.StorePath() / "file.dat";
  {
    const ScopedFault fault(FaultPoint::kDelete);
    EXPECT_EQ(DeleteStoreFile(store_, u"\\file.dat").status, FileStatus::kFailed);
    EXPECT_TRUE(std::filesystem::exists(host));
  }
  EXPECT_EQ(DeleteStoreFile(store_, u"\\file.dat").status, FileStatus::kOk);
  EXPECT_FALSE(std::filesystem::exists(host));
}

TEST_F(FaultInjectionTest, FailureCarriesTheHostsCauseUpToTheCaller) {
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
  EXPECT_EQ(ReadOnce(), "bytes") << "no failed step changed the file";
  EXPECT_EQ(WithCause("failed", 0), "failed") << "no cause, no text";
}

TEST_F(FaultInjectionTest, ClearingAndScopeEndsDisarmUnusedFaults) {
  FailNext(FaultPoint::kRead, 5);
  ClearFaults();
  EXPECT_EQ(ReadOnce(), "bytes");
  { const ScopedFault fault(FaultPoint::kRead, 3); }
  EXPECT_EQ(ReadOnce(), "bytes");
}

TEST_F(FaultInjectionTest, EachArmedFailureIsTakenOnceAcrossThreads) {
  constexpr int kArmed = 1000;
  std::atomic<int> taken = 0;
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back([&taken] {
      for (int call = 0; call < kArmed; ++call) {
        if (call % 2 == 0) FailNext(FaultPoint::kClose);
        if (ConsumeFault(FaultPoint::kClose)) ++taken;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  while (ConsumeFault(FaultPoint::kClose)) ++taken;
  EXPECT_EQ(taken, 4 * kArmed / 2);
}

}  // namespace
}  // namespace kv::platform
