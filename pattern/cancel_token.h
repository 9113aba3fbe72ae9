// CancelToken: lets one thread end another's searches. The engine looks at
// it where it counts its steps, so a cancelled search ends within a few
// thousand node calls, whatever the pattern.
#pragma once

#include <atomic>

namespace kv {

class CancelToken {
 public:
  void Cancel() noexcept { cancelled_.store(true, std::memory_order_relaxed); }
  void Reset() noexcept { cancelled_.store(false, std::memory_order_relaxed); }
  bool IsCancelled() const noexcept { return cancelled_.load(std::memory_order_relaxed); }

 private:
  std::atomic<bool> cancelled_{false};
};

}  // namespace kv
