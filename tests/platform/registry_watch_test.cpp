// The registry change watch on a real folder, with its real thread: it
// reports a hive replaced by a write and a hive edited in place, lets a
// running callback finish before Stop returns, and refuses what it cannot
// watch. The suite's name ends in "Threaded" so that it also runs under
// ThreadSanitizer. Waits are bounded only so that a broken watch fails
// instead of hanging; no test measures time.
#include "platform/registry_watch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <memory>
#include <thread>

#include "platform/registry_hive.h"
#include "support/change_counter.h"
#include "support/temp_files.h"

namespace kv::platform {
namespace {

class RegistryWatchThreaded : public ::testing::Test {
 protected:
  std::filesystem::path HivePath() const { return dir_.Path() / "system.reg"; }

  testing::TempDir dir_;
  testing::ChangeCounter counter_;
};

TEST_F(RegistryWatchThreaded, ReportsAHiveReplacedByAWriteAndOneEditedInPlace) {
  RegistryWatch watch;
  ASSERT_TRUE(watch.Start(HivePath(), [this] { counter_.Count(); }));
  RegistryHive hive(HivePath());
  ASSERT_EQ(hive.SetDword(RegistryRoot::kLocalMachine, u"k", u"v", 1), RegistryStatus::kOk);
  EXPECT_TRUE(counter_.WaitFor(1));
  std::ofstream(HivePath(), std::ios::app) << "\n";
  EXPECT_TRUE(counter_.WaitFor(2));
}

TEST_F(RegistryWatchThreaded, StopLetsARunningCallbackFinishAndStartsNoMore) {
  std::atomic<bool> entered = false;
  std::atomic<bool> release = false;
  std::atomic<bool> finished = false;
  std::atomic<int> calls = 0;
  RegistryWatch watch;
  ASSERT_TRUE(watch.Start(HivePath(), [&] {
    ++calls;
    entered = true;
    while (!release) std::this_thread::yield();
    finished = true;
  }));
  testing::WriteFile(HivePath(), "");
  while (!entered) std::this_thread::yield();
  // The callback is released only once Stop has been called: a Stop that
  // did not wait for it would return before it finished.
  std::atomic<bool> stopping = false;
  std::thread releaser([&] {
    while (!stopping) std::this_thread::yield();
    release = true;
  });
  stopping = true;
  watch.Stop();
  EXPECT_TRUE(finished);
  releaser.join();
  const int callsAtStop = calls;
  testing::WriteFile(HivePath(), "after stop");
  EXPECT_EQ(calls, callsAtStop);
  // A stopped watch can be started again.
  ASSERT_TRUE(watch.Start(HivePath(), [this] { counter_.Count(); }));
  testing::WriteFile(HivePath(), "again");
  EXPECT_TRUE(counter_.WaitFor(1));
}

TEST_F(RegistryWatchThreaded, DestroyingAnIdleWatchWakesAndJoinsItsThread) {
  auto watch = std::make_unique<RegistryWatch>();
  ASSERT_TRUE(watch->Start(HivePath(), [this] { counter_.Count(); }));
  watch.reset();  // would hang here if the thread were not woken
  testing::WriteFile(HivePath(), "unwatched");
  RegistryWatch second;
  ASSERT_TRUE(second.Start(HivePath(), [this] { counter_.Count(); }));
  second.Stop();
  second.Stop();  // harmless when not running
}

TEST_F(RegistryWatchThreaded, RefusesAMissingFolderASecondStartAndNoCallback) {
  RegistryWatch watch;
  EXPECT_FALSE(watch.Start(dir_.Path() / "missing" / "system.reg", [] {}));
  EXPECT_FALSE(watch.Start(HivePath(), nullptr));
  ASSERT_TRUE(watch.Start(HivePath(), [] {}));
  EXPECT_FALSE(watch.Start(HivePath(), [] {}));
}

}  // namespace
}  // namespace kv::platform
