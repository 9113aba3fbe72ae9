// The file watch on a real folder, with its real thread: it reports a file
// replaced by rename (as the hive's writers do) and one edited in place, lets a
// running callback finish before Stop returns, and refuses what it cannot
// watch. The suite's name ends in "Threaded" so that it also runs under
// ThreadSanitizer. Waits are bounded only so that a broken watch fails
// instead of hanging; no test measures time.
#include "platform/file_watch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/whole_file.h"
#include "support/temp_files.h"

namespace kv {
namespace {

// Counts the callbacks that arrive on the watch's thread.
class ChangeCounter {
 public:
  void Count() {
    {
      const std::lock_guard lock(mutex_);
      ++count_;
    }
    changed_.notify_all();
  }

  // true once at least `count` callbacks have run.
  bool WaitFor(int count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(60), [&] { return count_ >= count; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int count_ = 0;
};

class FileWatchThreaded : public ::testing::Test {
 protected:
  std::filesystem::path Watched() const { return dir_.Path() / "watched.txt"; }

  testing::TempDir dir_;
  ChangeCounter counter_;
};

TEST_F(FileWatchThreaded, ReportsAFileReplacedByRenameAndOneEditedInPlace) {
  FileWatch watch;
  ASSERT_TRUE(watch.Start(Watched(), [this] { counter_.Count(); }));
  ASSERT_TRUE(ReplaceHostFile(Watched(), "first").Ok());
  EXPECT_TRUE(counter_.WaitFor(1));
  std::ofstream(Watched(), std::ios::app) << "\n";
  EXPECT_TRUE(counter_.WaitFor(2));
}

TEST_F(FileWatchThreaded, StopLetsARunningCallbackFinishAndStartsNoMore) {
  std::atomic<bool> entered = false;
  std::atomic<bool> release = false;
  std::atomic<bool> finished = false;
  std::atomic<int> calls = 0;
  FileWatch watch;
  ASSERT_TRUE(watch.Start(Watched(), [&] {
    ++calls;
    entered = true;
    while (!release) std::this_thread::yield();
    finished = true;
  }));
  testing::WriteFile(Watched(), "");
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
  testing::WriteFile(Watched(), "after stop");
  EXPECT_EQ(calls, callsAtStop);
  // A stopped watch can be started again.
  ASSERT_TRUE(watch.Start(Watched(), [this] { counter_.Count(); }));
  testing::WriteFile(Watched(), "again");
  EXPECT_TRUE(counter_.WaitFor(1));
}

TEST_F(FileWatchThreaded, DestroyingAnIdleWatchWakesAndJoinsItsThread) {
  auto watch = std::make_unique<FileWatch>();
  ASSERT_TRUE(watch->Start(Watched(), [this] { counter_.Count(); }));
  watch.reset();  // would hang here if the thread were not woken
}

TEST_F(FileWatchThreaded, RefusesAMissingFolderASecondStartAndNoCallback) {
  FileWatch watch;
  EXPECT_FALSE(watch.Start(dir_.Path() / "missing" / "watched.txt", [] {}));
  EXPECT_FALSE(watch.Start(Watched(), nullptr));
  ASSERT_TRUE(watch.Start(Watched(), [] {}));
  EXPECT_FALSE(watch.Start(Watched(), [] {}));
  watch.Stop();
  watch.Stop();  // harmless when not running
}

}  // namespace
}  // namespace kv
