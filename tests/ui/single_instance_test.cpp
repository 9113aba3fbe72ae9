// The single-instance check: the first start holds the lock, a second
// brings the first forward (or leaves it alone with "-hide") and ends with
// 1, a first instance that never listens costs 25 tries, the lock of a gone
// instance is free again, and a name taken or missing is an error.
#include <atomic>
#include <thread>

#include "platform/instance_lock.h"
#include "ui/single_instance.h"
#include "ui_test_support.h"

namespace kv::testing {
namespace {

// Runs a second start's check on its own thread (it blocks on the socket)
// while this thread serves the first instance's socket.
int CheckFromAnotherStart(const std::filesystem::path& run, bool hide, int& pauses) {
  std::atomic<bool> done{false};
  int result = -1;
  std::thread second([&] {
    SingleInstance instance(run, QStringLiteral("Kestrelvox"), [&](int) { ++pauses; });
    result = instance.Check(hide);
    done = true;
  });
  while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  second.join();
  return result;
}

TEST(SingleInstance, ASecondStartBringsTheFirstForwardAndEndsWithOne) {
  TempDir dir;
  const auto run = dir.Path() / "run";
  int broughtForward = 0;
  {
    SingleInstance first(run, QStringLiteral("Kestrelvox"), [](int) {});
    first.SetBringForward([&] { ++broughtForward; });
    ASSERT_EQ(first.Check(false), kFirstInstance);

    int pauses = 0;
    EXPECT_EQ(CheckFromAnotherStart(run, false, pauses), 1);
    EXPECT_EQ(broughtForward, 1);
    EXPECT_EQ(CheckFromAnotherStart(run, true, pauses), 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(broughtForward, 1);
    EXPECT_EQ(pauses, 0);
  }
  // Once the first is gone, the next start is the first again.
  SingleInstance next(run, QStringLiteral("Kestrelvox"), [](int) {});
  EXPECT_EQ(next.Check(false), kFirstInstance);
}

TEST(SingleInstance, AFirstInstanceThatNeverAnswersCostsTwentyFiveTries) {
  TempDir dir;
  InstanceLock held;
  ASSERT_EQ(held.Acquire(dir.Path() / "run" / "Kestrelvox.lock"), LockAttempt::kAcquired);
  int pauses = 0;
  SingleInstance second(dir.Path() / "run", QStringLiteral("Kestrelvox"), [&](int milliseconds) {
    EXPECT_EQ(milliseconds, 100);
    ++pauses;
  });
  EXPECT_EQ(second.Check(false), kFirstInstance);
  EXPECT_EQ(pauses, 25);
}

TEST(SingleInstance, ANameTakenByAFolderOrNoNameIsAnError) {
  TempDir dir;
  std::filesystem::create_directories(dir.Path() / "run" / "Kestrelvox.lock");
  SingleInstance taken(dir.Path() / "run", QStringLiteral("Kestrelvox"), [](int) {});
  EXPECT_EQ(taken.Check(false), kInstanceNameTaken);
  SingleInstance unnamed(dir.Path() / "run", QString(), [](int) {});
  EXPECT_EQ(unnamed.Check(false), kInstanceCheckFailed);
}

}  // namespace
}  // namespace kv::testing
