// StopToken: how whoever started a scan asks it to stop. One token is made
// for each scan by whoever starts it and handed to the scan; it starts
// running and can only be stopped, never re-armed, so a stop that arrives
// before the scan has begun is honoured when it does. A stop also cancels
// the pattern search in progress, so a file that takes long to search does
// not hold the stop up.
#pragma once

#include <atomic>

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
  }
  bool IsStopped() const noexcept { return stopped_.load(); }
  const CancelToken& Cancel() const noexcept { return cancel_; }

 private:
  std::atomic<bool> stopped_{false};
  CancelToken cancel_;
};

}  // namespace kv
