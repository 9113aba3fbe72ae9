// Appending to store files: writes that land at the end whoever grew the
// file, truncation and the write fault point, what OpenForAppend refuses,
// and the locks of appends and read opens, which wait or report busy; the
// cause each injected failure of a file call carries up to its caller; and
// the scan reports' file, appended to and rotated.
// (Sequential reads are exercised by the log readers' tests.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/fault_injection.h"
#include "platform/files.h"
#include "platform/limits.h"
#include "platform/report_file.h"
#include "support/temp_files.h"

namespace kv {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

class StoreAppendTest : public ::testing::Test {
 protected:
  void TearDown() override { ClearFaults(); }

  File Opened(std::u16string_view path = u"\\Folder\\file.dat") const {
    Result<File> file = File::OpenForAppend(store_, path);
    EXPECT_EQ(file.status, FileStatus::kOk);
    return std::move(file.value);
  }

  testing::TempPrefix prefix_;
  const Store& store_ = prefix_.Store();
};

TEST_F(StoreAppendTest, AppendsLandAtTheEndWhoeverGrewTheFile) {
  fs::create_directory(store_.StorePath() / "Folder");
  File first = Opened();
  File second = Opened(u"\\FOLDER\\FILE.DAT");
  const auto content = [&] { return testing::ReadFile(store_.StorePath() / "Folder/file.dat"); };
  EXPECT_TRUE(first.Append("one ").Ok());
  EXPECT_TRUE(second.Append("two ").Ok());
  EXPECT_TRUE(first.Append("three").Ok());
  EXPECT_EQ(content(), "one two three");
  EXPECT_TRUE(second.Truncate(4).Ok());
  FailNext(FaultPoint::kWrite);  // a full disk takes half the bytes
  EXPECT_FALSE(first.Append("halves").Ok());
  EXPECT_EQ(content(), "one hal");
}

TEST_F(StoreAppendTest, OpenForAppendRefusesAnythingButARegularFileOrItsFolder) {
  const fs::path store = store_.StorePath();
  testing::WriteFile(prefix_.Path() / "outside.txt", "kept");
  fs::create_symlink(prefix_.Path() / "outside.txt", store / "link.txt");
  fs::create_symlink(prefix_.Path() / "nowhere.txt", store / "dangling.txt");
  fs::create_directory(store / "folder");
  fs::create_directory_symlink(store / "folder", store / "folderlink");
  for (const std::u16string_view path : {u"\\link.txt", u"\\dangling.txt", u"\\folder",
                                         u"\\folderlink\\new.txt", u"\\..\\outside.txt"}) {
    const Result<File> file = File::OpenForAppend(store_, path);
    EXPECT_EQ(file.status, FileStatus::kFailed);
    EXPECT_FALSE(file.value.IsOpen());
  }
  EXPECT_EQ(testing::ReadFile(prefix_.Path() / "outside.txt"), "kept");
  EXPECT_FALSE(fs::exists(prefix_.Path() / "nowhere.txt"));
  EXPECT_TRUE(fs::is_empty(store / "folder"));
}

// The host's locks stand for the handset's share modes: a read open that
// shares reading goes with another such; anything else is busy.
TEST_F(StoreAppendTest, LockAndReadOpenAreBusyWhileAnotherOpenHoldsOneAgainstIt) {
  prefix_.WriteStoreFile("Folder/file.dat", "x");
  // held, asked for, whether the two go together
  using enum Sharing;
  const std::tuple<Sharing, Sharing, bool> rows[] = {
      {kNone, kNone, false}, {kNone, kRead, false}, {kRead, kNone, false}, {kRead, kRead, true}};
  for (const auto& [held, asked, shared] : rows) {
    Result<File> opened = File::OpenForRead(store_, u"\\Folder\\file.dat", held);
    ASSERT_EQ(opened.status, FileStatus::kOk);
    EXPECT_EQ(Opened().Lock(asked, milliseconds(0)),
              shared ? LockStatus::kLocked : LockStatus::kBusy);
    EXPECT_EQ(File::OpenForRead(store_, u"\\folder\\FILE.dat", asked).status,
              shared ? FileStatus::kOk : FileStatus::kLocked);
    ASSERT_TRUE(opened.value.Close().Ok());
  }
}

// The cause a failed file call carries up to its caller: each failure the
// fault seam injects comes back with the host's error number a real one
// would give. (Its text in a message is in tarnscan's tests.)
TEST_F(StoreAppendTest, AFailedCallCarriesTheHostsCauseUpToItsCaller) {
  prefix_.WriteStoreFile("file.dat", "bytes");
  const auto open = [&] { return File::OpenForRead(store_, u"\\file.dat", Sharing::kNone); };
  const auto replace = [&] { return ReplaceStoreFile(store_, u"\\file.dat", "new bytes"); };
  using enum FaultPoint;
  // what fails, where, the call, the cause it carries
  const std::tuple<const char*, FaultPoint, std::function<Result<void>()>, int> rows[] = {
      {"short read", kRead, [&] { return Result<void>(open().value.ReadAll().Error()); }, EIO},
      {"sequential read", kRead,
       [&] { return Result<void>(open().value.Read(std::span<char>()).Error()); }, EIO},
      {"close", kClose, [&] { return open().value.Close(); }, EIO},
      {"delete", kDelete, [&] { return DeleteStoreFile(store_, u"\\file.dat"); }, EPERM},
      {"replacement's create", kCreate, replace, EACCES},
      {"replacement's write", kWrite, replace, ENOSPC},
      {"replacement's rename", kRename, replace, EACCES},
  };
  for (const auto& [label, point, call, cause] : rows) {
    const ScopedFault fault(point);
    const Result<void> result = call();
    EXPECT_EQ(result.status, FileStatus::kFailed) << label;
    EXPECT_EQ(result.cause, cause) << label;
  }
  EXPECT_EQ(testing::ReadFile(prefix_.StorePath() / "file.dat"), "bytes")
      << "no failed step changed the file";
  EXPECT_EQ(WithCause("failed", 0), "failed") << "no cause, no text";
}

// The scan reports' file: lines appended in order, read back oldest first,
// and the rotation past its size bound that keeps a few generations.
TEST_F(StoreAppendTest, ReportFileAppendsInOrderAndRotatesPastItsBoundKeepingAFewGenerations) {
  using Lines = std::vector<std::string>;
  Result<Lines> lines = ReadReportLines(store_, true);
  ASSERT_TRUE(lines.Ok());
  EXPECT_TRUE(lines.value.empty());  // no report yet
  const fs::path file = prefix_.Path() / "reports/scans.ndjson";
  const std::string filler(limits::kMaxReportBytes, 'x');
  for (int generation = 0; generation <= limits::kReportGenerations + 1; ++generation) {
    ASSERT_TRUE(AppendReportLine(store_, "g" + std::to_string(generation)));
    testing::WriteFile(file, testing::ReadFile(file) + filler + "\n");  // now past the bound
  }
  ASSERT_TRUE(AppendReportLine(store_, "last"));
  EXPECT_EQ(ReadReportLines(store_, false).value, Lines{"last"});
  lines = ReadReportLines(store_, true);
  // The oldest generations are gone; the kept ones come oldest first.
  std::ranges::replace(lines.value, filler, std::string("filler"));
  Lines expected;
  for (int generation = 2; generation <= limits::kReportGenerations + 1; ++generation) {
    expected.insert(expected.end(), {"g" + std::to_string(generation), "filler"});
  }
  expected.push_back("last");
  EXPECT_EQ(lines.value, expected);
  EXPECT_FALSE(fs::exists(prefix_.Path() / "reports/scans.ndjson.4"));
}

// Waiting for a holder that lets go while the waiter waits; the bound is
// only there so that a lock never let go fails the test instead of hanging.
TEST(StoreAppendThreaded, LockAndReadOpenWaitForAHolderThatLetsGo) {
  const testing::TempPrefix prefix;
  prefix.WriteStoreFile("file.dat", "x");
  for (const bool viaReadOpen : {false, true}) {
    Result<File> holder = File::OpenForRead(prefix.Store(), u"\\file.dat", Sharing::kNone);
    ASSERT_EQ(holder.status, FileStatus::kOk);
    Result<File> waiter;
    bool locked = false;
    std::thread waiting([&] {
      waiter = viaReadOpen ? File::OpenForRead(prefix.Store(), u"\\file.dat", Sharing::kRead,
                                               milliseconds(60000))
                           : File::OpenForAppend(prefix.Store(), u"\\file.dat");
      locked = waiter.Ok() &&
               (viaReadOpen ||
                waiter.value.Lock(Sharing::kNone, milliseconds(60000)) == LockStatus::kLocked);
    });
    EXPECT_TRUE(holder.value.Close().Ok());
    waiting.join();
    EXPECT_TRUE(locked) << (viaReadOpen ? "read open" : "lock");
  }
}

}  // namespace
}  // namespace kv
