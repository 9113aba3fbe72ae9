// The quarantine across processes. Under kill -9: a child quarantines file
// after file in one batch and is killed at a random moment, again and again; after each
// kill the next listing must find every file in the store or in the
// quarantine with its record, never neither and never both, and no leftover
// of the move. At once: movers in several processes, each finishing what
// it believes a crash left, must neither lose nor break one another's moves.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/quarantine_batch.h"
#include "support/child_processes.h"
#include "support/quarantine_checks.h"

namespace kv {
namespace {

namespace fs = std::filesystem;

constexpr int kIterations = 30;
constexpr int kFilesPerRun = 8;

// File `i` of run (or process) `run`: its path under the store and what it
// holds.
std::string InStore(int run, int i) {
  return "run" + std::to_string(run) + "/f" + std::to_string(i);
}
std::string Content(int run, int i) {
  return "run " + std::to_string(run) + " file " + std::to_string(i);
}

// Quarantines the run's files in a child, killed after `killAfter` unless
// that is zero; returns how long the child lived.
std::chrono::microseconds RunChild(const Store& store, int run,
                                   std::chrono::microseconds killAfter) {
  const auto start = std::chrono::steady_clock::now();
  (void)testing::RunKilledAfter(
      [&] {
        QuarantineBatch batch(store);
        for (int i = 0; i < kFilesPerRun; ++i) {
          (void)batch.MoveStoreFile(testing::DevicePath(InStore(run, i)),
                                    {u"Trojan.Kill", u"autocheck"});
        }
      },
      killAfter);
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                               start);
}

TEST(QuarantineKill, EveryFileIsInTheStoreOrQuarantinedWithItsRecordAfterKillNine) {
  const testing::TempPrefix prefix;
  std::mt19937 random(std::random_device{}());
  std::chrono::microseconds fullRun{0};
  int cutShort = 0;
  for (int run = 0; run <= kIterations; ++run) {
    for (int i = 0; i < kFilesPerRun; ++i) prefix.WriteStoreFile(InStore(run, i), Content(run, i));
    // The first run is not killed: it measures how long a whole run takes.
    std::uniform_int_distribution<long> moment(1, std::max<long>(2, fullRun.count()));
    const auto lived =
        RunChild(prefix.Store(), run, std::chrono::microseconds(run == 0 ? 0 : moment(random)));
    if (run == 0) fullRun = lived;

    int inStore = 0;
    for (int i = 0; i < kFilesPerRun; ++i) {
      SCOPED_TRACE(InStore(run, i));
      testing::ExpectInStoreOrQuarantined(prefix, InStore(run, i), Content(run, i));
      inStore += fs::exists(prefix.StorePath() / InStore(run, i)) ? 1 : 0;
    }
    if (inStore > 0 && inStore < kFilesPerRun) ++cutShort;
  }
  // Otherwise every kill came before the first move or after the last.
  EXPECT_GT(cutShort, 0);
}

TEST(QuarantineProcesses, MoversInSeveralProcessesAtOnceEachGetTheirRecords) {
  constexpr int kProcesses = 4;
  constexpr int kFilesEach = 6;
  const testing::TempPrefix prefix;
  std::vector<std::function<int()>> movers;
  for (int p = 0; p < kProcesses; ++p) {
    for (int i = 0; i < kFilesEach; ++i) prefix.WriteStoreFile(InStore(p, i), Content(p, i));
    movers.push_back([&prefix, p] {
      int failed = 0;
      for (int i = 0; i < kFilesEach; ++i) {
        const QuarantineResult result = QuarantineStoreFile(
            prefix.Store(), testing::DevicePath(InStore(p, i)), {u"Trojan.Many", u"hideandscan"});
        failed += result.status == QuarantineStatus::kQuarantined ? 0 : 1;
      }
      return failed;
    });
  }
  EXPECT_EQ(testing::RunInChildProcesses(movers), std::vector<int>(kProcesses, 0));
  for (int p = 0; p < kProcesses; ++p) {
    for (int i = 0; i < kFilesEach; ++i) {
      EXPECT_FALSE(fs::exists(prefix.StorePath() / InStore(p, i)));
      testing::ExpectInStoreOrQuarantined(prefix, InStore(p, i), Content(p, i));
    }
  }
}

}  // namespace
}  // namespace kv
