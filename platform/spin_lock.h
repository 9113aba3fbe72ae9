// LockSpinning: takes a mutex that is held only for moments, polling it
// briefly before the thread sleeps on it. A scan's threads pass files to
// each other every few microseconds; sleeping on the lock and being woken
// again costs more than that, most of all on a virtual machine.
#pragma once

#include <mutex>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace kv {

inline void LockSpinning(std::unique_lock<std::mutex>& lock) {
  constexpr int kPolls = 200;
  for (int i = 0; i < kPolls; ++i) {
    if (lock.try_lock()) return;
#if defined(__x86_64__) || defined(__i386__)
    _mm_pause();
#endif
  }
  lock.lock();
}

}  // namespace kv
