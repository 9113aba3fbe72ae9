// The host clock as the handset's: local time for dated lines, and pauses.
//
// Entry points: CurrentLocalTime, SleepMilliseconds.
#pragma once

namespace kv {

struct LocalTime {
  int year = 0;
  int month = 0;  // 1-12
  int day = 0;    // 1-31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

LocalTime CurrentLocalTime();

void SleepMilliseconds(int milliseconds);

}  // namespace kv
