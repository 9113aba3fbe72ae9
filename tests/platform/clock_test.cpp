// The local time's fields against the C++ library's own calendar: the local
// date is the UTC date or a day next to it, whatever the time zone, and
// every field is in its range. No timing.
#include "platform/clock.h"

#include <gtest/gtest.h>

#include <chrono>

namespace kv::platform {
namespace {

TEST(Clock, LocalTimeIsTodayInSomeTimeZone) {
  using namespace std::chrono;
  const sys_days before = floor<days>(system_clock::now());
  const LocalTime now = CurrentLocalTime();
  const sys_days after = floor<days>(system_clock::now());

  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
  EXPECT_GE(now.hour, 0);
  EXPECT_LE(now.hour, 23);
  EXPECT_GE(now.minute, 0);
  EXPECT_LE(now.minute, 59);
  EXPECT_GE(now.second, 0);
  EXPECT_LE(now.second, 60);  // a leap second
  const year_month_day date{year(now.year), month(static_cast<unsigned>(now.month)),
                            day(static_cast<unsigned>(now.day))};
  ASSERT_TRUE(date.ok()) << now.year << "-" << now.month << "-" << now.day;
  EXPECT_GE(sys_days(date), before - days(1));
  EXPECT_LE(sys_days(date), after + days(1));
}

}  // namespace
}  // namespace kv::platform
