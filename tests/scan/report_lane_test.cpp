// The report lane: reports keep their order while a slow one holds the
// lane's thread and the caller goes on; the reports queued meanwhile run
// as one run, their first report, then all their prepares, one settle, and
// the rest in order, however many plain reports lie between the prepared
// ones; a run with room for more prepares waits its window for them, and
// ends the wait on its own; and a queued report's exception comes back to
// the caller after the others have run.
#include "scan/report_lane.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace kv::testing {
namespace {

TEST(ReportLaneThreaded, ReportsKeepTheirOrderAndTheQueuedOnesSettleTogether) {
  std::vector<std::string> ran;
  const auto step = [&ran](std::string name) {
    return [&ran, name = std::move(name)] { ran.push_back(name); };
  };
  ReportLane lane(step("settle"));
  // Declared after the lane: should the test end early, the broken promise
  // frees the lane's thread before the lane joins it.
  std::promise<void> released;
  std::promise<void> holding;
  lane.Run(step("r0"), false);  // on this thread, nothing queued
  lane.Run(
      [&ran, &holding, release = released.get_future().share()] {
        holding.set_value();
        release.wait();  // the caller must get past the next Run calls meanwhile
        ran.push_back("r1");
      },
      true);
  holding.get_future().wait();  // so that r1 runs alone
  for (int report = 2; report < 10; ++report) {
    const std::string n = std::to_string(report);
    if (report == 5) {
      lane.Run([] { throw std::runtime_error("disk gone"); }, false);
    } else if (report % 3 == 0) {
      lane.Run(step("r" + n), true, step("p" + n), step("f" + n));
    } else {
      lane.Run(step("r" + n), false);
    }
  }
  released.set_value();
  EXPECT_THROW(lane.Drain(), std::runtime_error);
  lane.Run(step("r10"), false, step("p10"), step("f10"));  // rethrown once; settles alone
  lane.Drain();
  EXPECT_EQ(ran, (std::vector<std::string>{"r0", "r1", "r2",  "p3",  "p6",     "p9", "settle",
                                           "r3", "f3", "r4",  "r6",  "f6",     "r7", "r8",
                                           "r9", "f9", "r10", "p10", "settle", "f10"}));
}

TEST(ReportLaneThreaded, ARunTakesEveryQueuedReportUpToItsLimitOfPrepares) {
  std::vector<std::string> ran;
  ReportLane lane([&ran] { ran.push_back("settle"); });
  std::promise<void> released;
  std::promise<void> holding;
  lane.Run(
      [&holding, release = released.get_future().share()] {
        holding.set_value();
        release.wait();
      },
      true);
  holding.get_future().wait();
  // Clean files' reports between the found ones do not split the run.
  for (std::size_t found = 0; found <= ReportLane::kMaxRun; ++found) {
    lane.Run([] {}, false);
    lane.Run([] {}, true, [&ran] { ran.push_back("p"); });
  }
  released.set_value();
  lane.Drain();
  std::vector<std::string> expected(ReportLane::kMaxRun, "p");
  expected.insert(expected.end(), {"settle", "p", "settle"});
  EXPECT_EQ(ran, expected);
}

TEST(ReportLaneThreaded, FoundFilesWithinTheWindowShareOneSettle) {
  std::vector<std::string> ran;
  ReportLane lane([&ran] { ran.push_back("settle"); }, std::chrono::hours(1));
  for (const char* found : {"p1", "p2", "p3"}) {
    lane.Run([] {}, true, [&ran, found] { ran.push_back(found); });
    lane.Run([] {}, false);
    // Time for a lane that did not wait to take what is queued.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  lane.Drain();  // ends the window
  EXPECT_EQ(ran, (std::vector<std::string>{"p1", "p2", "p3", "settle"}));
}

TEST(ReportLaneThreaded, AWindowEndsWithoutADrain) {
  std::promise<void> settled;
  ReportLane lane([&settled] { settled.set_value(); }, std::chrono::milliseconds(1));
  lane.Run([] {}, true, [] {});
  EXPECT_EQ(settled.get_future().wait_for(std::chrono::seconds(30)), std::future_status::ready);
  lane.Drain();
}

}  // namespace
}  // namespace kv::testing
