// The log writer against a real store: the exact bytes (UTF-16LE, the mark,
// a CR LF before each record) of records and of a log cleared and begun
// again; what an append and a clear do with a file that is no log, a writer
// that keeps the lock, and a write that fails half-way. (A link or a folder
// in the log's place is refused by OpenForAppend and DeleteStoreFile, whose
// tests are in tests/platform.)
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
  void TearDown() override { ClearFaults(); }

  fs::path LogHostPath() const { return prefix_.StorePath() / "Runeskop.log"; }
  std::string LogHex() const { return testing::Hex(testing::ReadFile(LogHostPath())); }
  LogAppendResult Append(std::u16string_view text) const {
    return AppendLogRecord(prefix_.Store(), kLogPath, text);
  }

  testing::TempPrefix prefix_;
};

TEST_F(LogFileTest, RecordsAndClearsGiveTheseBytes) {
  // The file before (nullopt: none), then records to append (nullopt: a
  // clear), and the bytes in hex.
  using Steps = std::vector<std::optional<std::u16string>>;
  const std::tuple<std::optional<std::string>, Steps, std::string> rows[] = {
      {std::nullopt, {u"A", u"B"}, "fffe0d000a0041000d000a004200"},
      {std::nullopt, {u"A", u""}, "fffe0d000a0041000d000a00"},  // an empty record
      {std::nullopt, {u"\u00C4\U0001F600"}, "fffe0d000a00c4003dd800de"},
      {std::nullopt, {u"A", std::nullopt, u"B"}, "fffe0d000a004200"},  // a fresh mark
      {"", {u"A"}, "fffe0d000a004100"},                                // an empty file
      {"junk", {u"A"}, testing::Hex("junk") + "0d000a004100"},         // no log: as it is
  };
  for (const auto& [before, steps, hex] : rows) {
    SCOPED_TRACE(hex);
    fs::remove(LogHostPath());
    if (before) prefix_.WriteStoreFile("Runeskop.log", *before);
    for (const auto& step : steps) {
      EXPECT_TRUE(step ? Append(*step) == LogAppendResult::kAppended
                       : ClearLog(prefix_.Store()) == LogClearResult::kCleared);
    }
    EXPECT_EQ(LogHex(), hex);
  }
}

TEST_F(LogFileTest, OnlyTheLogFlagLogsAListLineAndARefusedClearKeepsTheLog) {
  EXPECT_EQ(ClearLog(prefix_.Store()), LogClearResult::kAbsent);
  EXPECT_EQ(AddListLineToLog(prefix_.Store(), u"A", LogFlag::kListOnly),
            LogAppendResult::kNotLogged);
  EXPECT_FALSE(fs::exists(LogHostPath()));
  EXPECT_EQ(AddListLineToLog(prefix_.Store(), u"A", LogFlag::kAlsoLog), LogAppendResult::kAppended);
  FailNext(FaultPoint::kDelete);
  EXPECT_EQ(ClearLog(prefix_.Store()), LogClearResult::kRefused);
  EXPECT_EQ(LogHex(), "fffe0d000a004100");
}

TEST_F(LogFileTest, ABusyLogOrAFailedWriteCostsOnlyTheNewRecord) {
  for (const bool existing : {false, true}) {
    SCOPED_TRACE(existing ? "existing log" : "new log");
    fs::remove(LogHostPath());
    const std::string before = existing ? "fffe0d000a004100" : "";
    if (existing) prefix_.WriteStoreFile("Runeskop.log", std::string("\xFF\xFE\r\0\n\0A\0", 8));
    FailNext(FaultPoint::kWrite);  // fails half-way through
    EXPECT_EQ(Append(u"Bad"), LogAppendResult::kWriteFailed);
    EXPECT_EQ(LogHex(), before);
    EXPECT_EQ(Append(u"C"), LogAppendResult::kAppended);
    EXPECT_EQ(LogHex(), (existing ? before : "fffe") + "0d000a004300");
  }
  Result<File> holder = File::OpenForRead(prefix_.Store(), kLogPath, Sharing::kNone);
  ASSERT_EQ(holder.status, FileStatus::kOk);
  EXPECT_EQ(Append(u"B"), LogAppendResult::kBusy);
  ASSERT_TRUE(holder.value.Close().Ok());
  EXPECT_EQ(LogHex(), "fffe0d000a0041000d000a004300");
}

}  // namespace
}  // namespace kv
