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
#include <fstream>
#include <memory>
#include <thread>

#include "platform/whole_file.h"
#include "support/temp_files.h"

namespace kv {
namespace {

// true once `calls` reaches `count`; bounded so that a broken watch fails.
bool WaitFor(const std::atomic<int>& calls, int count) {
  for (int i = 0; i < 6000 && calls < count; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return calls >= count;
}

class FileWatchThreaded : public ::testing::Test {
 protected:
  std::filesystem::path Watched() const { return dir_.Path() / "watched.txt"; }

  testing::TempDir dir_;
  std::atomic<int> calls_ = 0;
};

TEST_F(FileWatchThreaded, ReportsAFileReplacedByRenameAndOneEditedInPlace) {
  FileWatch watch;
  ASSERT_TRUE(watch.Start(Watched(), [this] { ++calls_; }));
  ASSERT_TRUE(ReplaceHostFile(Watched(), "first").Ok());
  EXPECT_TRUE(WaitFor(calls_, 1));
  std::ofstream(Watched(), std::ios::app) << "\n";
  EXPECT_TRUE(WaitFor(calls_, 2));
}

TEST_F(FileWatchThreaded, StopLetsARunningCallbackFinishAndStartsNoMore) {
  std::atomic<bool> entered = false, release = false, finished = false;
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
  watch.Stop();  // harmless when not running
  // A stopped watch can be started again.
  ASSERT_TRUE(watch.Start(Watched(), [this] { ++calls_; }));
  testing::WriteFile(Watched(), "again");
  EXPECT_TRUE(WaitFor(calls_, 1));
}

TEST_F(FileWatchThreaded, RefusesAMissingFolderASecondStartAndNoCallbackAndJoinsWhenDestroyed) {
  auto watch = std::make_unique<FileWatch>();
  EXPECT_FALSE(watch->Start(dir_.Path() / "missing" / "watched.txt", [] {}));
  EXPECT_FALSE(watch->Start(Watched(), nullptr));
  ASSERT_TRUE(watch->Start(Watched(), [] {}));
  EXPECT_FALSE(watch->Start(Watched(), [] {}));
  watch.reset();  // would hang here if the idle thread were not woken
}

}  // namespace
}  // namespace kv
