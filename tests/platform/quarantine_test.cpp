// The quarantine on real files: a move with its record (the refusals it
// shares with deletion are in the store files' tests), the size cap,
// restore and purge; each failure the fault seam can cause, and each state
// a crash can leave, ending with the file in the store or an item with its
// record, never neither; and the same under kill -9 and with movers in
// several processes at once.
#include "platform/quarantine.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/fault_injection.h"
#include "platform/files.h"
#include "platform/quarantine_batch.h"
#include "support/child_processes.h"
#include "support/quarantine_checks.h"

namespace kv {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

constexpr char kAbcSha256[] = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
constexpr QuarantineNote kNote{u"Trojan.Test", u"autocheck"};

// The record of a file "abc" quarantined with kNote.
QuarantineRecord AbcRecord(const std::string& id, const std::string& time,
                           const std::u16string& path, unsigned permissions) {
  const QuarantineOutcome outcome = QuarantineOutcome::kQuarantined;
  return {id, time, outcome, path, 3, kAbcSha256, u"Trojan.Test", u"autocheck", permissions, {}};
}

class QuarantineTest : public ::testing::Test {
 protected:
  void TearDown() override { ClearFaults(); }

  fs::path Store(const std::string& relative) const { return prefix_.StorePath() / relative; }
  fs::path Folder() const { return prefix_.Path() / "quarantine"; }

  QuarantineListing List() const {
    Result<QuarantineListing> listing = ListQuarantine(prefix_.Store());
    EXPECT_TRUE(listing.Ok());
    return std::move(listing.value);
  }
  std::vector<QuarantineItemState> States() const {
    std::vector<QuarantineItemState> states;
    for (const QuarantineItem& item : List().items) states.push_back(item.state);
    return states;
  }

  testing::TempPrefix prefix_;
};

TEST_F(QuarantineTest, MovesTheFileOutOfTheStoreWithItsRecordAndWithoutExecuteBits) {
  WriteFile(Store("Windows/Evil.exe"), "abc");
  fs::permissions(Store("Windows/Evil.exe"), fs::perms(0755));
  const QuarantineResult result =
      QuarantineStoreFile(prefix_.Store(), u"\\windows\\EVIL.EXE", kNote);
  ASSERT_EQ(result.status, QuarantineStatus::kQuarantined);
  EXPECT_FALSE(fs::exists(Store("Windows/Evil.exe")));
  EXPECT_EQ(ReadFile(Folder() / result.id), "abc");
  EXPECT_EQ(fs::status(Folder() / result.id).permissions(), fs::perms(0600));
  EXPECT_EQ(fs::status(Folder()).permissions(), fs::perms(0700));

  const QuarantineListing listing = List();
  ASSERT_EQ(listing.items.size(), 1u);
  const QuarantineRecord& record = listing.items[0].record;
  EXPECT_EQ(listing.items[0].state, QuarantineItemState::kQuarantined);
  // The path names the file as the host spells it.
  EXPECT_EQ(RecordLine(record),
            RecordLine(AbcRecord(result.id, record.time, u"\\windows\\Evil.exe", 0755)));
  const std::optional<std::chrono::system_clock::time_point> when = ParseUtcTime(record.time);
  ASSERT_TRUE(when) << record.time;
  EXPECT_LT(std::chrono::abs(std::chrono::system_clock::now() - *when), std::chrono::minutes(1));
  EXPECT_EQ(listing.unreadableLines, 0u);
  EXPECT_EQ(testing::QuarantineLeftovers(prefix_), std::vector<std::string>{});
}

// The digest a check took is recorded while the file is the version it
// read; a file written or replaced since is read again.
TEST_F(QuarantineTest, TakesTheCheckedDigestOnlyForTheVersionTheCheckRead) {
  const std::string checked(64, 'c');
  const std::string abcd = "88d4266fd4e6338d13b845fcf289579d209c897823b9217da3e161936f031589";
  // what happens to the file after the check; the digest recorded
  const std::tuple<const char*, std::function<void(const fs::path&)>, std::string> rows[] = {
      {"nothing", [](const fs::path&) {}, checked},
      {"written", [](const fs::path& file) { WriteFile(file, "abcd"); }, abcd},
      {"replaced",
       [](const fs::path& file) {
         WriteFile(file.string() + ".new", "abcd");
         fs::rename(file.string() + ".new", file);
       },
       abcd},
  };
  for (const auto& [what, change, recorded] : rows) {
    SCOPED_TRACE(what);
    WriteFile(Store("a.exe"), "abc");
    const Result<File> opened = File::OpenForRead(prefix_.Store(), u"\\a.exe", Sharing::kNone);
    ASSERT_TRUE(opened.Ok());
    const ReadDigest read{{checked, 3}, opened.value.Version().value};
    change(Store("a.exe"));
    QuarantineBatch batch(prefix_.Store());
    const QuarantineResult result =
        batch.MoveStoreFile(u"\\a.exe", {u"Trojan.Test", u"autocheck", &read});
    ASSERT_EQ(result.status, QuarantineStatus::kQuarantined);
    batch.Flush();
    EXPECT_EQ(List().items.back().record.sha256, recorded);
  }
}

TEST_F(QuarantineTest, RestoresByteForByteWithItsPermissionsAndNeverOverwrites) {
  WriteFile(Store("Windows/a.exe"), "abc");
  fs::permissions(Store("Windows/a.exe"), fs::perms(0750));
  const std::string id = QuarantineStoreFile(prefix_.Store(), u"\\Windows\\a.exe", kNote).id;
  WriteFile(Store("Windows/A.EXE"), "new");
  EXPECT_EQ(RestoreQuarantineItem(prefix_.Store(), id).change, QuarantineChange::kTargetExists);
  EXPECT_EQ(ReadFile(Store("Windows/A.EXE")), "new");
  fs::remove(Store("Windows/A.EXE"));
  WriteFile(prefix_.Path() / "taken", "mine");
  EXPECT_EQ(RestoreQuarantineItem(prefix_.Store(), id, prefix_.Path() / "taken").change,
            QuarantineChange::kTargetExists);
  EXPECT_EQ(ReadFile(prefix_.Path() / "taken"), "mine");
  EXPECT_EQ(RestoreQuarantineItem(prefix_.Store(), id, prefix_.Path() / "no-folder" / "a").change,
            QuarantineChange::kTargetMissing);

  EXPECT_EQ(RestoreQuarantineItem(prefix_.Store(), id).change, QuarantineChange::kDone);
  EXPECT_EQ(ReadFile(Store("Windows/a.exe")), "abc");
  EXPECT_EQ(fs::status(Store("Windows/a.exe")).permissions(), fs::perms(0750));
  EXPECT_FALSE(fs::exists(Folder() / id));
  EXPECT_EQ(RestoreQuarantineItem(prefix_.Store(), id).change, QuarantineChange::kNoSuchItem);
  const QuarantineListing listing = List();
  ASSERT_EQ(listing.items.size(), 1u);
  EXPECT_EQ(listing.items[0].state, QuarantineItemState::kRestored);
  EXPECT_EQ(listing.items[0].latest.to, u"\\Windows\\a.exe");

  // Across file systems (as the fault makes it look) by a copy.
  const std::string again = QuarantineStoreFile(prefix_.Store(), u"\\Windows\\a.exe", kNote).id;
  FailNext(FaultPoint::kQuarantineCrossDevice);
  EXPECT_EQ(RestoreQuarantineItem(prefix_.Store(), again, prefix_.Path() / "copy.exe").change,
            QuarantineChange::kDone);
  EXPECT_EQ(ReadFile(prefix_.Path() / "copy.exe"), "abc");
  EXPECT_FALSE(fs::exists(Folder() / again));
}

TEST_F(QuarantineTest, PurgesOneItemOrEveryItemOlderThanTheGivenDays) {
  std::vector<std::string> ids;
  for (const char* name : {"a.exe", "b.exe", "c.exe"}) {
    ids.push_back(testing::Quarantined(prefix_, name, name, kNote.signature));
  }
  EXPECT_EQ(PurgeQuarantineItem(prefix_.Store(), ids[0]).change, QuarantineChange::kDone);
  EXPECT_FALSE(fs::exists(Folder() / ids[0]));
  EXPECT_EQ(PurgeQuarantineItem(prefix_.Store(), ids[0]).change, QuarantineChange::kNoSuchItem);
  EXPECT_EQ(PurgeQuarantineItem(prefix_.Store(), "../index.ndjson").change,
            QuarantineChange::kNoSuchItem);
  const auto inTwoDays = std::chrono::system_clock::now() + std::chrono::hours(48);
  QuarantinePurge purge = PurgeQuarantineOlderThan(prefix_.Store(), 3, inTwoDays);
  EXPECT_EQ(purge.result.change, QuarantineChange::kDone);
  EXPECT_EQ(purge.purged, 0u);
  purge = PurgeQuarantineOlderThan(prefix_.Store(), 1, inTwoDays);
  EXPECT_EQ(purge.result.change, QuarantineChange::kDone);
  EXPECT_EQ(purge.purged, 2u);
  EXPECT_EQ(States(), std::vector<QuarantineItemState>(3, QuarantineItemState::kPurged));
}

TEST_F(QuarantineTest, EveryInjectedFailureLeavesTheFileInTheStoreOrAnItemWithItsRecord) {
  using enum QuarantineStatus;
  using enum FaultPoint;
  // what fails, the faults armed, the status, the failed host call's errno
  const std::tuple<const char*, std::vector<FaultPoint>, QuarantineStatus, int> rows[] = {
      {"the rename in fails", {kQuarantineMove}, kFailed, EACCES},
      {"another file system: copied", {kQuarantineCrossDevice}, kQuarantined, 0},
      {"the copy's write fails", {kQuarantineCrossDevice, kQuarantineCopy}, kFailed, ENOSPC},
      {"the unlink after a copy fails", {kQuarantineCrossDevice, kDelete}, kFailed, EPERM},
      {"the record fails: moved back", {kQuarantineRecord}, kFailed, ENOSPC},
      {"a copy's record fails", {kQuarantineCrossDevice, kQuarantineRecord}, kFailed, ENOSPC},
  };
  int n = 0;
  for (const auto& [what, faults, expected, cause] : rows) {
    SCOPED_TRACE(what);
    const std::string name = "file" + std::to_string(n++) + ".exe";
    const std::string bytes = "bytes of " + name;
    WriteFile(Store(name), bytes);
    for (const FaultPoint point : faults) FailNext(point);
    const QuarantineResult result =
        QuarantineStoreFile(prefix_.Store(), testing::DevicePath(name), kNote);
    ClearFaults();
    EXPECT_EQ(result.status, expected);
    EXPECT_EQ(result.cause, cause);
    testing::ExpectInStoreOrQuarantined(prefix_, name, bytes);
  }
}

TEST_F(QuarantineTest, ABatchHoldsItsJournalUntilItsFlushesSucceed) {
  using enum QuarantineItemState;
  const auto leftovers = [this] { return testing::QuarantineLeftovers(prefix_).size(); };
  const auto move = [this](QuarantineBatch& batch, const std::string& name) {
    WriteFile(Store(name), name);
    EXPECT_TRUE(batch.MoveStoreFile(testing::DevicePath(name), kNote).Removed()) << name;
  };
  {
    // Room for one file: the batch counts what it has moved in.
    QuarantineBatch batch(prefix_.Store(), 5);
    move(batch, "a.exe");
    move(batch, "b.exe");
    // Listed meanwhile, the journal held, not taken for a crash's.
    EXPECT_EQ(States(), (std::vector{kQuarantined, kDeleted}));
    EXPECT_EQ(leftovers(), 1u);
    FailNext(FaultPoint::kQuarantineSync);
  }
  // Not flushed: the journal stays, and the next start finds both moves done.
  EXPECT_EQ(leftovers(), 1u);
  EXPECT_EQ(States(), (std::vector{kQuarantined, kDeleted}));
  EXPECT_EQ(leftovers(), 0u);
}

// Moves reserved together are made in order, each failing alone: a
// refused rename gives its room back to the moves after it, a file not
// there is not found, one past the cap is deleted. A journal whose lines
// cannot be flushed, or index lines that cannot be written, fail every move
// of the run, the files left in the store; and a Flush gives up a move
// reserved and not made.
TEST_F(QuarantineTest, MovesReservedTogetherAreMadeInOrderAndEachFailsAlone) {
  using enum QuarantineStatus;
  const auto statuses = [](const std::vector<QuarantineResult>& results) {
    std::vector<QuarantineStatus> status;
    for (const QuarantineResult& result : results) status.push_back(result.status);
    return status;
  };
  QuarantineBatch batch(prefix_.Store(), 8);
  const auto reserve = [&](const std::string& name, const std::string& content) {
    if (!content.empty()) WriteFile(Store(name), content);
    return batch.ReserveStoreFile(testing::DevicePath(name), kNote);
  };
  EXPECT_EQ(reserve("x.exe", "abc"), 0u);
  reserve("gone.exe", "");
  reserve("a.exe", "12345");  // with x's room: 8 of 8
  reserve("b.exe", "abc");    // past the cap
  FailNext(FaultPoint::kQuarantineMove);
  const std::vector<QuarantineResult> results = batch.MoveReserved();
  EXPECT_EQ(statuses(results), (std::vector{kFailed, kNotFound, kQuarantined, kDeleted}));
  EXPECT_EQ(results[0].cause, EACCES);
  EXPECT_EQ(ReadFile(Store("x.exe")), "abc");
  EXPECT_FALSE(fs::exists(Store("a.exe")) || fs::exists(Store("b.exe")));
  EXPECT_FALSE(fs::exists(Folder() / results[3].id));  // deleted, not kept
  reserve("f.exe", "abc");                             // in the room x gave back
  EXPECT_EQ(statuses(batch.MoveReserved()), std::vector{kQuarantined});

  reserve("c.exe", "c");
  reserve("d.exe", "d");
  FailNext(FaultPoint::kQuarantineJournalSync);
  EXPECT_EQ(statuses(batch.MoveReserved()), (std::vector{kFailed, kFailed}));
  reserve("e.exe", "e");
  batch.Flush();
  EXPECT_EQ(statuses(batch.MoveReserved()), std::vector{kFailed});
  EXPECT_EQ(ReadFile(Store("c.exe")) + ReadFile(Store("d.exe")) + ReadFile(Store("e.exe")), "cde");
  {
    QuarantineBatch roomy(prefix_.Store());
    for (const char* name : {"g.exe", "h.exe"}) {
      WriteFile(Store(name), name);
      roomy.ReserveStoreFile(testing::DevicePath(name), kNote);
    }
    FailNext(FaultPoint::kQuarantineRecord);
    const std::vector<QuarantineResult> unrecorded = roomy.MoveReserved();
    EXPECT_EQ(statuses(unrecorded), (std::vector{kFailed, kFailed}));
    EXPECT_EQ(unrecorded[1].cause, ENOSPC);
    EXPECT_EQ(ReadFile(Store("g.exe")) + ReadFile(Store("h.exe")), "g.exeh.exe");
  }
  using State = QuarantineItemState;
  EXPECT_EQ(States(), (std::vector{State::kQuarantined, State::kDeleted, State::kQuarantined}));
  const QuarantineRecord deleted = List().items[1].record;  // b's, deleted past the cap
  EXPECT_EQ(deleted.sha256, kAbcSha256);
  EXPECT_EQ(deleted.path, u"\\b.exe");
  EXPECT_EQ(testing::QuarantineLeftovers(prefix_), std::vector<std::string>{});
}

// A full disk: with no room for a journal's zeros its lines extend it; a
// line cut while written fails its move alone, and the batch goes on with
// a new journal, the cut one left for the next start.
TEST_F(QuarantineTest, AFullDiskCostsAJournalItsZerosOrAMoveItsRecord) {
  QuarantineBatch batch(prefix_.Store());
  const auto move = [&](const std::string& name) {
    WriteFile(Store(name), "abc");
    return batch.MoveStoreFile(testing::DevicePath(name), kNote);
  };
  FailNext(FaultPoint::kWrite);  // the zeros
  EXPECT_EQ(move("a.exe").status, QuarantineStatus::kQuarantined);
  FailNext(FaultPoint::kWrite);  // b's line
  const QuarantineResult b = move("b.exe");
  EXPECT_EQ(b.status, QuarantineStatus::kFailed);
  EXPECT_EQ(b.cause, ENOSPC);
  EXPECT_EQ(move("c.exe").status, QuarantineStatus::kQuarantined);
  batch.Flush();
  EXPECT_EQ(testing::QuarantineLeftovers(prefix_).size(), 2u);
  EXPECT_EQ(States(), std::vector<QuarantineItemState>(2, QuarantineItemState::kQuarantined));
  EXPECT_EQ(testing::QuarantineLeftovers(prefix_), std::vector<std::string>{});
  EXPECT_EQ(ReadFile(Store("b.exe")), "abc");
}

// What a crash leaves in the folder, set out by hand, and what the next
// start makes of it.
TEST_F(QuarantineTest, TheNextStartFinishesOrRollsBackWhatACrashLeft) {
  const std::string id = "20261207T041615Z-0000abcd";
  const QuarantineRecord record = AbcRecord(id, "2026-12-07T04:16:15Z", u"\\a.exe", 0644);
  QuarantineRecord deleted = record;
  deleted.outcome = QuarantineOutcome::kDeleted;
  const std::string line = RecordLine(record);
  const std::string pending = id + ".pending";
  const std::string partial = id + ".partial";
  const std::string cutLine = line.substr(0, 20) + "\n";  // as a crash leaves it
  // A batch's journal: a move done, one that failed, one cut while written.
  QuarantineRecord failed = deleted;
  failed.id = "20261207T041616Z-0000abce";
  failed.path = u"\\b.exe";
  QuarantineRecord cut = failed;
  cut.id = "20261207T041617Z-0000abcf";
  const std::string journal = line + "#" + RecordLine(failed).substr(1) +
                              RecordLine(cut).substr(0, 30) + std::string(100, '\0');
  using enum QuarantineItemState;
  // what a crash left: the folder's files, whether the store file is there; the states listed
  using Files = std::vector<std::pair<std::string, std::string>>;  // name, content
  const std::tuple<const char*, Files, bool, std::vector<QuarantineItemState>> rows[] = {
      {"moved, not recorded", {{pending, line}, {id, "abc"}}, false, {kQuarantined}},
      {"pending record, not moved", {{pending, line}}, true, {}},
      {"pending record cut while written", {{pending + "-new", line.substr(0, 9)}}, true, {}},
      {"copy cut while written", {{pending, line}, {partial, "a"}}, true, {}},
      {"copy left without its record", {{partial, "a"}}, true, {}},
      {"pending kept", {{pending, line}, {id, "abc"}, {kIndexName, line}}, false, {kQuarantined}},
      {"deleted for the cap, not recorded", {{pending, RecordLine(deleted)}}, false, {kDeleted}},
      {"deletion for the cap not done", {{pending, RecordLine(deleted)}}, true, {}},
      {"a batch's journal", {{pending, journal}, {id, "abc"}}, false, {kQuarantined}},
      {"a file nobody recorded", {{id, "abc"}}, true, {kUnrecorded}},
      {"a record whose file has gone", {{kIndexName, line}}, true, {kMissing}},
      {"a cut line first", {{kIndexName, cutLine + line}, {id, "abc"}}, false, {kQuarantined}},
  };
  for (const auto& [what, files, storeFile, listed] : rows) {
    SCOPED_TRACE(what);
    fs::remove_all(Folder());
    fs::create_directories(Folder());
    for (const auto& [name, content] : files) WriteFile(Folder() / name, content);
    fs::remove(Store("a.exe"));
    if (storeFile) WriteFile(Store("a.exe"), "abc");
    const std::vector<QuarantineItemState> states = States();
    EXPECT_EQ(states, listed);
    EXPECT_EQ(testing::QuarantineLeftovers(prefix_), std::vector<std::string>{});
    // A move finished from its pending record leaves the item's file private.
    if (files[0].first == pending && states == std::vector{kQuarantined}) {
      EXPECT_EQ(ReadFile(Folder() / id), "abc");
      EXPECT_EQ(fs::status(Folder() / id).permissions(), fs::perms(0600));
    }
    // Listing again changes nothing: no record is added twice.
    EXPECT_EQ(States(), states);
  }
}

// Across processes. Under kill -9: a child quarantines file after file in
// one batch and is killed at a random moment, again and again; after each
// kill the next listing must find every file in the store or in the
// quarantine with its record, never neither and never both, and no
// leftover of the move. At once: movers in several processes, each
// finishing what it believes a crash left, must neither lose nor break one
// another's moves.
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

TEST_F(QuarantineTest, UnderKillNineEveryFileIsInTheStoreOrQuarantinedWithItsRecord) {
  std::mt19937 random(std::random_device{}());
  using std::chrono::microseconds;
  microseconds fullRun{0};
  int cutShort = 0;
  for (int run = 0; run <= kIterations; ++run) {
    for (int i = 0; i < kFilesPerRun; ++i) prefix_.WriteStoreFile(InStore(run, i), Content(run, i));
    // The first run is not killed: it measures how long a whole run takes.
    std::uniform_int_distribution<long> moment(1, std::max<long>(2, fullRun.count()));
    const auto start = std::chrono::steady_clock::now();
    (void)testing::RunKilledAfter(
        [&] {
          // One move alone, then groups of three as a walk's lane makes them.
          QuarantineBatch batch(prefix_.Store());
          for (int i = 0; i < kFilesPerRun; ++i) {
            batch.ReserveStoreFile(testing::DevicePath(InStore(run, i)), kNote);
            if (i % 3 == 0) (void)batch.MoveReserved();
          }
          (void)batch.MoveReserved();
        },
        microseconds(run == 0 ? 0 : moment(random)));
    if (run == 0) fullRun = duration_cast<microseconds>(std::chrono::steady_clock::now() - start);

    int inStore = 0;
    for (int i = 0; i < kFilesPerRun; ++i) {
      SCOPED_TRACE(InStore(run, i));
      testing::ExpectInStoreOrQuarantined(prefix_, InStore(run, i), Content(run, i));
      inStore += fs::exists(prefix_.StorePath() / InStore(run, i)) ? 1 : 0;
    }
    if (inStore > 0 && inStore < kFilesPerRun) ++cutShort;
  }
  // Otherwise every kill came before the first move or after the last.
  EXPECT_GT(cutShort, 0);
}

TEST_F(QuarantineTest, MoversInSeveralProcessesAtOnceEachGetTheirRecords) {
  constexpr int kProcesses = 4;
  constexpr int kFilesEach = 6;
  std::vector<std::function<int()>> movers;
  for (int p = 0; p < kProcesses; ++p) {
    for (int i = 0; i < kFilesEach; ++i) prefix_.WriteStoreFile(InStore(p, i), Content(p, i));
    movers.push_back([this, p] {
      int failed = 0;
      for (int i = 0; i < kFilesEach; ++i) {
        const QuarantineResult result = QuarantineStoreFile(
            prefix_.Store(), testing::DevicePath(InStore(p, i)), {u"Trojan.Many", u"hideandscan"});
        failed += result.status == QuarantineStatus::kQuarantined ? 0 : 1;
      }
      return failed;
    });
  }
  EXPECT_EQ(testing::RunInChildProcesses(movers), std::vector<int>(kProcesses, 0));
  for (int p = 0; p < kProcesses; ++p) {
    for (int i = 0; i < kFilesEach; ++i) {
      EXPECT_FALSE(fs::exists(prefix_.StorePath() / InStore(p, i)));
      testing::ExpectInStoreOrQuarantined(prefix_, InStore(p, i), Content(p, i));
    }
  }
}

}  // namespace
}  // namespace kv
