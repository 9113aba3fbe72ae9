// Publishing database snapshots: a reload publishes a new snapshot while
// scans keep the one they started with, on two threads at once.
#include "database/published_database.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/engine_thread.h"
#include "scan/file_matcher.h"
#include "support/database_writer.h"
#include "support/temp_files.h"

namespace kv::testing {
namespace {

// Two scanning threads take a snapshot each and search it again and again
// while the main thread reloads the database under them, alternating two
// versions. Each thread must keep seeing its own snapshot's answer; under
// ThreadSanitizer this also shows that publishing does not race scanning.
TEST(SnapshotThreaded, AReloadNeverDisturbsScansOfTheOldSnapshot) {
  const TempPrefix prefix;
  PublishedDatabase published;
  prefix.WriteDatabase(DatabaseFile("1", {CharacterLine("Sig", "alpha")}));
  ASSERT_EQ(published.Reload(prefix.Store()), LoadResult::kRead);

  std::atomic<int> started{0};
  std::atomic<bool> stop{false};
  int mismatches[2] = {0, 0};
  EngineThread scanners[2];
  for (int t = 0; t < 2; ++t) {
    ASSERT_TRUE(scanners[t].Start([&, t] {
      const std::shared_ptr<const SignatureDatabase> snapshot = published.Current();
      FileMatcher matcher(prefix.Store(), *snapshot);
      started.fetch_add(1);
      for (int i = 0; i < 200 || !stop.load(); ++i) {
        const bool alphaFound = matcher.MatchSignatures("..alpha..").Code() == 1;
        const bool betaClean = matcher.MatchSignatures("..beta..").Code() == 0;
        if (snapshot->Version() != 1 || !alphaFound || !betaClean) ++mismatches[t];
      }
    }));
  }
  while (started.load() < 2) {
  }
  for (int round = 0; round < 20; ++round) {
    prefix.WriteDatabase(DatabaseFile(round % 2 == 0 ? "2" : "3", {CharacterLine("Sig", "beta")}));
    ASSERT_EQ(published.Reload(prefix.Store()), LoadResult::kRead);
  }
  stop.store(true);
  for (EngineThread& scanner : scanners) scanner.Join();
  EXPECT_EQ(mismatches[0], 0);
  EXPECT_EQ(mismatches[1], 0);
  const auto latest = published.Current();
  EXPECT_EQ(latest->Version(), 3);
  EXPECT_EQ(FileMatcher(prefix.Store(), *latest).MatchSignatures("..beta..").Code(), 1);
}

}  // namespace
}  // namespace kv::testing
