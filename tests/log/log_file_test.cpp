// The log writer against a real store: the exact bytes of records and of a
// log cleared and begun again; the mark for an empty file; what an append
// and a clear do with a file that is no log, a link, a folder, a writer
// that keeps the lock, and a write that fails half-way.
#include "log/log_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/fault_injection.h"
#include "platform/files.h"
#include "support/hex.h"
#include "support/temp_files.h"

namespace kv {
namespace {

namespace fs = std::filesystem;

class LogFileTest : public ::testing::Test {
 protected:
  void TearDown() override { platform::ClearFaults(); }

  fs::path LogHostPath() const { return prefix_.StorePath() / "Runeskop.log"; }
  std::string LogHex() const { return testing::Hex(testing::ReadFile(LogHostPath())); }
  LogAppendResult Append(std::u16string_view text) const {
    return AppendLogRecord(prefix_.Store(), kLogPath, text);
  }

  testing::TempPrefix prefix_;
};

TEST_F(LogFileTest, RecordsAndClearsGiveTheseBytes) {
  // A step is a record to append, or nullopt for a clear.
  struct Row {
    const char* label;
    std::vector<std::optional<std::u16string>> steps;
    std::string hex;
  };
  const Row rows[] = {
      {"first record", {u"A"}, "fffe0d000a004100"},
      {"second record", {u"A", u"B"}, "fffe0d000a0041000d000a004200"},
      {"empty record is its separator", {u"A", u""}, "fffe0d000a0041000d000a00"},
      {"latin-1 and euro", {u"\\\u00C4rger\u20AC"}, "fffe0d000a005c00c4007200670065007200ac20"},
      {"surrogate pair", {u"\U0001F600"}, "fffe0d000a003dd800de"},
      {"after a clear, a fresh mark", {u"A", std::nullopt, u"B"}, "fffe0d000a004200"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    fs::remove(LogHostPath());
    for (const auto& step : row.steps) {
      if (step) {
        EXPECT_EQ(Append(*step), LogAppendResult::kAppended);
      } else {
        EXPECT_EQ(ClearLog(prefix_.Store()), LogClearResult::kCleared);
      }
    }
    EXPECT_EQ(LogHex(), row.hex);
  }
}

TEST_F(LogFileTest, EmptyFileGetsTheMarkAndAnyOtherFileIsAppendedToAsItIs) {
  prefix_.WriteStoreFile("Runeskop.log", "");
  EXPECT_EQ(Append(u"A"), LogAppendResult::kAppended);
  EXPECT_EQ(LogHex(), "fffe0d000a004100");
  prefix_.WriteStoreFile("Runeskop.log", "junk");
  EXPECT_EQ(Append(u"A"), LogAppendResult::kAppended);
  EXPECT_EQ(LogHex(), testing::Hex("junk") + "0d000a004100");
}

TEST_F(LogFileTest, LinkOrFolderInTheLogsPlaceIsNotOpenedAndNotTouched) {
  const fs::path target = prefix_.WriteStoreFile("target.txt", "kept");
  fs::create_symlink(target, LogHostPath());
  EXPECT_EQ(Append(u"A"), LogAppendResult::kNotOpened);
  EXPECT_EQ(testing::ReadFile(target), "kept");
  fs::remove(LogHostPath());
  fs::create_directory(LogHostPath());
  EXPECT_EQ(Append(u"A"), LogAppendResult::kNotOpened);
  EXPECT_EQ(ClearLog(prefix_.Store()), LogClearResult::kRefused);
  EXPECT_TRUE(fs::is_directory(LogHostPath()));
}

TEST_F(LogFileTest, ListLineReachesTheLogOnlyWithTheLogFlag) {
  EXPECT_EQ(AddListLineToLog(prefix_.Store(), u"A", LogFlag::kListOnly),
            LogAppendResult::kNotLogged);
  EXPECT_FALSE(fs::exists(LogHostPath()));
  EXPECT_EQ(AddListLineToLog(prefix_.Store(), u"A", LogFlag::kAlsoLog), LogAppendResult::kAppended);
  EXPECT_EQ(LogHex(), "fffe0d000a004100");
}

TEST_F(LogFileTest, ClearOfNoLogIsNoErrorAndARefusedClearKeepsTheLog) {
  EXPECT_EQ(ClearLog(prefix_.Store()), LogClearResult::kAbsent);
  ASSERT_EQ(Append(u"A"), LogAppendResult::kAppended);
  platform::FailNext(platform::FaultPoint::kDelete);
  EXPECT_EQ(ClearLog(prefix_.Store()), LogClearResult::kRefused);
  EXPECT_EQ(LogHex(), "fffe0d000a004100");
}

TEST_F(LogFileTest, WriterThatKeepsTheLogPastTheWaitCostsOnlyTheNewRecord) {
  ASSERT_EQ(Append(u"A"), LogAppendResult::kAppended);
  platform::File holder;
  ASSERT_EQ(
      platform::File::OpenForRead(prefix_.Store(), kLogPath, platform::Sharing::kNone, holder),
      platform::FileStatus::kOk);
  EXPECT_EQ(Append(u"B"), LogAppendResult::kBusy);
  ASSERT_TRUE(holder.Close());
  EXPECT_EQ(Append(u"C"), LogAppendResult::kAppended);
  EXPECT_EQ(LogHex(), "fffe0d000a0041000d000a004300");
}

TEST_F(LogFileTest, WriteThatFailsHalfWayLeavesTheLogAsItWas) {
  // label, log before ("" for none), then after the failed and the next append
  const std::tuple<const char*, std::string, std::string, std::string> rows[] = {
      {"existing log", std::string("\xFF\xFE\x0D\x00\x0A\x00\x41\x00", 8), "fffe0d000a004100",
       "fffe0d000a0041000d000a004300"},
      {"new log", "", "", "fffe0d000a004300"},
  };
  for (const auto& [label, before, afterFailure, afterNext] : rows) {
    SCOPED_TRACE(label);
    fs::remove(LogHostPath());
    if (!before.empty()) prefix_.WriteStoreFile("Runeskop.log", before);
    platform::FailNext(platform::FaultPoint::kWrite);
    EXPECT_EQ(Append(u"Bad"), LogAppendResult::kWriteFailed);
    EXPECT_EQ(LogHex(), afterFailure);
    EXPECT_EQ(Append(u"C"), LogAppendResult::kAppended);
    EXPECT_EQ(LogHex(), afterNext);
  }
}

}  // namespace
}  // namespace kv
