// The report lane: reports keep their order while a slow one holds the
// lane's thread and the caller goes on, and a queued report's exception
// comes back to the caller after the others have run.
#include "scan/report_lane.h"

#include <gtest/gtest.h>

#include <future>
#include <stdexcept>
#include <vector>

namespace kv::testing {
namespace {

TEST(ReportLaneThreaded, ReportsKeepTheirOrderWhileASlowOneHoldsTheLane) {
  std::vector<int> ran;
  ReportLane lane;
  // Declared after the lane: should the test end early, the broken promise
  // frees the lane's thread before the lane joins it.
  std::promise<void> released;
  lane.Run([&] { ran.push_back(0); }, false);  // on this thread, nothing queued
  lane.Run(
      [&ran, release = released.get_future().share()] {
        release.wait();  // the caller must get past the next Run calls meanwhile
        ran.push_back(1);
      },
      true);
  for (int report = 2; report < 10; ++report) {
    lane.Run(
        [&ran, report] {
          if (report == 5) throw std::runtime_error("disk gone");
          ran.push_back(report);
        },
        report % 3 == 0);
  }
  released.set_value();
  EXPECT_THROW(lane.Drain(), std::runtime_error);
  lane.Run([&] { ran.push_back(10); }, false);  // rethrown once
  lane.Drain();
  EXPECT_EQ(ran, (std::vector<int>{0, 1, 2, 3, 4, 6, 7, 8, 9, 10}));
}

}  // namespace
}  // namespace kv::testing
