// StopToken: how whoever started a scan asks it to stop, or to hold still
// for a while. One token is made for each scan by whoever starts it and
// handed to the scan; it starts running and can only be stopped, never
// re-armed, so a stop that arrives before the scan has begun is honoured
// when it does. A stop also cancels the pattern search in progress, so a
// file that takes long to search does not hold the stop up.
//
// A pause (while the user is asked whether to stop) holds the scan at its
// next entry and before its next action, through WaitWhilePaused; the
// search in progress is not cancelled, so the file in hand is finished. A
// stop releases every wait.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "pattern/cancel_token.h"

namespace kv {

class StopToken {
 public:
  StopToken() = default;
  StopToken(const StopToken&) = delete;
  StopToken& operator=(const StopToken&) = delete;

  void Stop() noexcept {
    stopped_.store(true);
    cancel_.Cancel();
    // Taken so that a waiter between its test and its sleep still wakes.
    const std::lock_guard<std::mutex> lock(mutex_);
    resumed_.notify_all();
  }
  bool IsStopped() const noexcept { return stopped_.load(); }
  const CancelToken& Cancel() const noexcept { return cancel_; }

  void Pause() {
    const std::lock_guard<std::mutex> lock(mutex_);
    paused_.store(true);
  }
  void Resume() {
    const std::lock_guard<std::mutex> lock(mutex_);
    paused_.store(false);
    resumed_.notify_all();
  }
  // Returns at once unless paused; else once resumed or stopped. Called
  // for every file, so the common case takes no lock.
  void WaitWhilePaused() const {
    if (!paused_.load()) return;
    std::unique_lock<std::mutex> lock(mutex_);
    resumed_.wait(lock, [this] { return !paused_.load() || stopped_.load(); });
  }

 private:
  std::atomic<bool> stopped_{false};
  CancelToken cancel_;
  mutable std::mutex mutex_;
  mutable std::condition_variable resumed_;
  std::atomic<bool> paused_{false};  // changed under mutex_, so a waiter cannot miss a Resume
};

}  // namespace kv
