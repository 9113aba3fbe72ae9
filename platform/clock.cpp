// The host clock: local time through localtime_r, which is safe on any
// thread, and pauses through the standard library.
#include "platform/clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace kv {

LocalTime CurrentLocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  // Fails only for a clock beyond the year 2^31; the epoch stands in then.
  if (::localtime_r(&now, &local) == nullptr) return {1970, 1, 1, 0, 0, 0};
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

void SleepMilliseconds(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace kv
