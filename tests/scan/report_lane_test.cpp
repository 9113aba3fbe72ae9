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
  std::promise<void> released;
  std::shared_future<void> release = released.get_future().share();
  ReportLane lane;
  lane.Run([&] { ran.push_back(0); }, false);  // on this thread, nothing queued
  lane.Run(
      [&] {
        release.wait();  // the caller must get past the next Run calls meanwhile
        ran.push_back(1);
      },
      true);
  for (int report = 2; report < 10; ++report) {
    lane.Run([&ran, report] { ran.push_back(report); }, report % 3 == 0);
  }
  released.set_value();
  lane.Drain();
  lane.Run([&] { ran.push_back(10); }, false);
  EXPECT_EQ(ran, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST(ReportLaneThreaded, AQueuedReportsExceptionComesBackAfterTheOthersRan) {
  std::vector<int> ran;
  std::promise<void> released;
  std::shared_future<void> release = released.get_future().share();
  ReportLane lane;
  lane.Run(
      [&] {
        release.wait();
        throw std::runtime_error("disk gone");
      },
      true);
  lane.Run([&] { ran.push_back(1); }, false);
  released.set_value();
  EXPECT_THROW(lane.Drain(), std::runtime_error);
  EXPECT_EQ(ran, std::vector<int>{1});
  EXPECT_NO_THROW(lane.Drain());  // rethrown once
}

}  // namespace
}  // namespace kv::testing
