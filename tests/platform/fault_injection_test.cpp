// The fault-injection seam through the real calls on real files: a short
// read, a failed close that still closes, a refused deletion that deletes
// nothing; how many calls an armed point fails; and arming and taking from
// several threads at once.
#include "platform/fault_injection.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
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

  // Reads \file.dat whole; "<failed>" when ReadAll fails.
  std::string ReadOnce() const {
    File file;
    std::string content = "old";
    EXPECT_EQ(File::OpenForRead(store_, u"\\file.dat", Sharing::kRead, file), FileStatus::kOk);
    return file.ReadAll(content) ? content : "<failed>" + content;
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
  File file;
  ASSERT_EQ(File::OpenForRead(store_, u"\\file.dat", Sharing::kNone, file), FileStatus::kOk);
  {
    const ScopedFault fault(FaultPoint::kClose);
    EXPECT_FALSE(file.Close());
  }
  EXPECT_FALSE(file.IsOpen());
  EXPECT_TRUE(file.Close()) << "closing a closed file is no failure";
  EXPECT_EQ(File::OpenForRead(store_, u"\\file.dat", Sharing::kNone, file), FileStatus::kOk);
  EXPECT_TRUE(file.Close());
}

TEST_F(FaultInjectionTest, RefusedDeletionDeletesNothing) {
  const std::filesystem::path host = prefix_.StorePath() / "file.dat";
  {
    const ScopedFault fault(FaultPoint::kDelete);
    EXPECT_EQ(DeleteStoreFile(store_, u"\\file.dat"), FileStatus::kFailed);
    EXPECT_TRUE(std::filesystem::exists(host));
  }
  EXPECT_EQ(DeleteStoreFile(store_, u"\\file.dat"), FileStatus::kOk);
  EXPECT_FALSE(std::filesystem::exists(host));
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
