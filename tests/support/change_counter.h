// ChangeCounter: counts callbacks that arrive on another thread (the
// registry watch's) and lets a test wait for them. The wait is bounded only
// so that a callback that never comes fails the test instead of hanging
// it; no test measures how long anything takes.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kv::testing {

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

}  // namespace kv::testing
