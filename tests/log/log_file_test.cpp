// The log writer and the log view's reader against a real store: the exact
// bytes (UTF-16LE, the mark, a CR LF before each record) of records and of
// a log cleared and begun again; what an append and a clear do with a file
// that is no log, a writer that keeps the lock, and a write that fails
// half-way. (A link or a folder in the log's place is refused by
// OpenForAppend and DeleteStoreFile, whose tests are in tests/platform.)
// Then which lines the reader finds in hand-made files (empty lines, CR LF,
// lone CR and LF, an odd last byte, separators astride the read chunks,
// cut lines) and files that are no log. Last, two real processes
// appending to one log at once keep every record whole and once, each
// process's in its order, under a single mark.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "log/log_file.h"
#include "log/log_reader.h"
#include "platform/fault_injection.h"
#include "platform/files.h"
#include "platform/limits.h"
#include "support/child_processes.h"
#include "support/hex.h"
#include "support/temp_files.h"

namespace kv {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::u16string>;

// The mark and `text` in UTF-16LE.
std::string Log(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t unit : text) bytes += {char(unit & 0xFF), char(unit >> 8)};
  return bytes;
}

class LogFileTest : public ::testing::Test {
 protected:
  void TearDown() override { ClearFaults(); }

  fs::path LogHostPath() const { return prefix_.StorePath() / "Runeskop.log"; }
  std::string LogHex() const { return testing::Hex(testing::ReadFile(LogHostPath())); }
  LogAppendResult Append(std::u16string_view text) const {
    return AppendLogRecord(prefix_.Store(), kLogPath, text);
  }
  LogReadStatus Read(Lines& lines, std::size_t capacity = limits::kLogViewLineUnits) {
    return ReadLogLines(prefix_.Store(), kLogPath, capacity, lines);
  }

  testing::TempPrefix prefix_;
};
using LogReaderTest = LogFileTest;

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
    if (existing) prefix_.WriteStoreFile("Runeskop.log", Log(u"\r\nA"));
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

TEST_F(LogReaderTest, HandMadeFilesGiveTheseLines) {
  using enum LogReadStatus;
  Lines missing = {u"stale"};
  EXPECT_EQ(Read(missing), kNotALog);
  EXPECT_TRUE(missing.empty());
  // what the file is, its bytes, the status and the lines read
  const std::tuple<const char*, std::string, LogReadStatus, Lines> rows[] = {
      {"mark only", Log(u""), kRead, {}},
      {"as written", Log(u"\r\nA\r\nBc"), kRead, {u"A", u"Bc"}},
      {"empty lines", Log(u"\r\n\r\nA\r\n\r\n\r\nB\r\n"), kRead, {u"A", u"B"}},
      {"lone CR takes the next unit", Log(u"\r\nAB\rCD\r\nE"), kRead, {u"ABD", u"E"}},
      {"CR before CR LF takes the CR", Log(u"A\r\r\nB"), kRead, {u"A\nB"}},
      {"lone LF is text", Log(u"\n\r\nA\nB"), kRead, {u"\n", u"A\nB"}},
      {"odd last byte after CR LF", Log(u"A\r\n") + "B", kRead, {u"A"}},
      {"big-endian mark", "\xFE\xFF" + Log(u"A").substr(2), kNotALog, {}},
  };
  for (const auto& [label, file, status, expected] : rows) {
    SCOPED_TRACE(label);
    prefix_.WriteStoreFile("Runeskop.log", file);
    Lines lines = {u"stale"};
    EXPECT_EQ(Read(lines), status);
    EXPECT_EQ(lines, expected);
  }
  prefix_.WriteStoreFile("Runeskop.log", Log(u"A"));
  FailNext(FaultPoint::kRead);  // unreadable
  EXPECT_EQ(Read(missing), kNotALog);
}

TEST_F(LogReaderTest, SeparatorsAstrideReadChunksReadLikeAnyOther) {
  // The CR of the second separator falls at bytes 65530 to 65538, around
  // the end of a 64 KiB chunk; then the same for a lone CR.
  for (std::size_t units = 32762; units <= 32766; ++units) {
    SCOPED_TRACE(units);
    const std::u16string first(units, u'a');
    prefix_.WriteStoreFile("Runeskop.log", Log(u"\r\n" + first + u"\r\nB\rXC"));
    Lines lines;
    EXPECT_EQ(Read(lines, units + 5), LogReadStatus::kRead);
    EXPECT_EQ(lines, (Lines{first, u"BC"}));
    EXPECT_EQ(Read(lines), LogReadStatus::kRead);
    EXPECT_EQ(lines, (Lines{first.substr(0, limits::kLogViewLineUnits), u"BC"}));
    prefix_.WriteStoreFile("Runeskop.log", Log(u"\r\n" + first + u"\rX\r\nB"));
    EXPECT_EQ(Read(lines, units + 5), LogReadStatus::kRead);
    EXPECT_EQ(lines, (Lines{first, u"B"}));
  }
}

constexpr int kRecordsPerProcess = 500;

// Records of varied lengths, so that a torn or overwritten one shows.
std::u16string Record(char16_t process, int number) {
  const std::string digits = std::to_string(number);
  return std::u16string(1, process) + std::u16string(digits.begin(), digits.end()) + u":" +
         std::u16string(static_cast<std::size_t>(number % 37), process);
}

TEST(LogAppendProcesses, TwoProcessesAppendingAtOnceKeepEveryRecordWholeAndOnce) {
  const testing::TempPrefix prefix;
  Result<File> holderOpened = File::OpenForAppend(prefix.Store(), kLogPath);
  ASSERT_EQ(holderOpened.status, FileStatus::kOk);
  File& holder = holderOpened.value;
  ASSERT_EQ(holder.Lock(Sharing::kNone, {}), LockStatus::kLocked);
  const auto appender = [&prefix, &holder](char16_t process) {
    return [&prefix, &holder, process] {
      // The lock belongs to the open file, which the child shares: only when
      // the parent's and every child's copy are closed is it released.
      (void)holder.Close();
      for (int i = 0; i < kRecordsPerProcess; ++i) {
        if (AppendLogRecord(prefix.Store(), kLogPath, Record(process, i)) !=
            LogAppendResult::kAppended) {
          return 1;  // at once: every further record could wait out the bound too
        }
      }
      return 0;
    };
  };
  const auto letGo = [&holder] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    (void)holder.Close();
  };
  EXPECT_EQ(testing::RunInChildProcesses({appender(u'a'), appender(u'b')}, letGo),
            (std::vector<int>{0, 0}));

  const std::string bytes = testing::ReadFile(prefix.StorePath() / "Runeskop.log");
  ASSERT_EQ(bytes.size() % 2, 0u);
  std::u16string text;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                  static_cast<unsigned char>(bytes[i + 1]) << 8);
  }
  ASSERT_EQ(text.substr(0, 3), u"\uFEFF\r\n");
  std::map<char16_t, int> next = {{u'a', 0}, {u'b', 0}};
  for (std::size_t start = 3, end; start <= text.size(); start = end + 2) {
    end = std::min(text.find(u"\r\n", start), text.size());
    // A torn record, or an empty one from a doubled separator, is none that
    // Record gives.
    const std::u16string record = text.substr(start, end - start);
    const char16_t process = record[0];
    ASSERT_EQ(record, Record(process, next[process]++)) << "at unit " << start;
  }
  EXPECT_EQ(next[u'a'], kRecordsPerProcess);
  EXPECT_EQ(next[u'b'], kRecordsPerProcess);
}

}  // namespace
}  // namespace kv
