// The ways back: --force installs the server's database when its version
// is not greater (off a pinned version), a rollback puts the kept copy
// back, the next update removes the new files an interrupted one left, and
// a process killed at any moment of an install leaves a whole database,
// old or new, never a mix.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "support/child_processes.h"
#include "support/update_bench.h"
#include "update/database_install.h"

namespace kv::testing {
namespace {

using DatabaseRollbackThreaded = UpdateBench;

// Without force a lower version is "latest" (database_update_test.cpp).
TEST_F(DatabaseRollbackThreaded, ForceLeavesAPinnedVersionAndRollbackComesBack) {
  const std::string pinned = UpdateDatabase("2147483647", "\\pinned.exe");
  TestHttpServer server;
  server.Answer(kVersionPath, {200, "2147483647"});
  server.Answer(kDatabasePath, {200, pinned});
  ASSERT_EQ(UpdateVirusDatabase(Context(server.Url())), UpdateResult::kDone);

  server.Answer(kVersionPath, {200, "200"});
  server.Answer(kDatabasePath, {200, kNewDatabase});
  UpdateContext forced = Context(server.Url());
  forced.force = true;
  EXPECT_EQ(UpdateVirusDatabase(forced), UpdateResult::kDone);
  EXPECT_EQ(DatabaseOnDisk(), kNewDatabase);
  EXPECT_EQ(KeptOnDisk(), pinned);
  EXPECT_EQ(database_.Current()->Version(), 200);

  UpdateReport report;
  EXPECT_EQ(RollBackVirusDatabase(forced, report), UpdateResult::kDone);
  EXPECT_EQ(report.version, 2147483647);
  EXPECT_EQ(DatabaseOnDisk(), pinned);
  EXPECT_EQ(KeptOnDisk(), pinned);
  EXPECT_EQ(database_.Current()->Version(), 2147483647);

  // Forced, a refused body is still refused.
  server.Answer(kDatabasePath, {200, "200\r\n"});
  EXPECT_EQ(UpdateVirusDatabase(forced, report), UpdateResult::kFailed);
  EXPECT_EQ(report.cause, UpdateCause::kDatabaseRefused);
  EXPECT_EQ(DatabaseOnDisk(), pinned);
}

TEST_F(DatabaseRollbackThreaded, RollbackNeedsAKeptCopyThatLoads) {
  UpdateReport report;
  EXPECT_EQ(RollBackVirusDatabase(Context(""), report), UpdateResult::kFailed);
  EXPECT_EQ(report.cause, UpdateCause::kNoPreviousDatabase);
  ExpectNothingChanged("no copy");
  WriteFile(DatabaseFolder() / "VirusDB.dat.old", "100\r\n");
  EXPECT_EQ(RollBackVirusDatabase(Context(""), report), UpdateResult::kFailed);
  EXPECT_EQ(report.cause, UpdateCause::kDatabaseRefused);
  EXPECT_EQ(report.refusal.reason, DatabaseRefusal::Reason::kNoCharacterSignature);
  WriteFile(DatabaseFolder() / "VirusDB.dat.old", kNewDatabase);
  FailNext(FaultPoint::kRename);
  EXPECT_EQ(RollBackVirusDatabase(Context(""), report), UpdateResult::kFailed);
  EXPECT_EQ(report.cause, UpdateCause::kWriteFailed);
  EXPECT_EQ(DatabaseOnDisk(), kOldDatabase);
  EXPECT_EQ(database_.Current(), oldSnapshot_);
  EXPECT_TRUE(TakeBoxes().empty());
}

// A child installs two databases by turns until it is killed at a random
// moment; each time the database is one of the three whole files. The next
// update then removes the new files left beside the database, and only
// them.
TEST_F(DatabaseRollbackThreaded, AKillDuringTheInstallLeavesAWholeDatabase) {
  const std::string first = UpdateDatabase("300", "\\first.exe");
  const std::string second = UpdateDatabase("400", "\\second.exe");
  const auto firstSnapshot = SignatureDatabase::Build(first, SignatureDatabase());
  const auto secondSnapshot = SignatureDatabase::Build(second, SignatureDatabase());
  std::mt19937 random(20261207);
  std::uniform_int_distribution<int> delay(1, 4000);  // zero would never kill
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  int kills = 0;
  for (; kills < 40 && std::chrono::steady_clock::now() < deadline; ++kills) {
    const int status = RunKilledAfter(
        [&] {
          UpdateReport report;
          for (int i = 0;; ++i) {
            const bool even = i % 2 == 0;
            (void)InstallDatabase(prefix_.Store(), database_, even ? first : second,
                                  even ? firstSnapshot : secondSnapshot, report);
          }
        },
        std::chrono::microseconds(delay(random)));
    EXPECT_TRUE(WIFSIGNALED(status)) << status;
    const std::string onDisk = DatabaseOnDisk();
    EXPECT_TRUE(onDisk == kOldDatabase || onDisk == first || onDisk == second) << kills;
  }
  EXPECT_GE(kills, 10);
  for (const char* name : {".VirusDB.dat.new-0123abcd", ".virusdb.dat.old.new-deadbeef",
                           ".VirusDB.dat.new-xyz", "VirusDB.dat.new-0123abcd"}) {
    WriteFile(DatabaseFolder() / name, "stray");
  }
  TestHttpServer server;
  server.Answer(kVersionPath, {200, "1"});
  EXPECT_EQ(UpdateVirusDatabase(Context(server.Url())), UpdateResult::kDone);
  std::vector<std::string> entries = FolderEntries();
  std::erase(entries, "VirusDB.dat.old");  // there once an install got that far
  EXPECT_EQ(entries, (std::vector<std::string>{".VirusDB.dat.new-xyz", "VirusDB.dat",
                                               "VirusDB.dat.new-0123abcd"}));
}

}  // namespace
}  // namespace kv::testing
