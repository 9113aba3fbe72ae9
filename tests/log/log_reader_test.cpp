// The log readers on hand-made files: which lines they find (empty lines,
// CR LF, lone CR and LF, an odd last byte, separators astride the read
// chunks, cut lines), what lies past the last line, files that are no log,
// and a round trip through the writer.
#include "log/log_reader.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "log/log_file.h"
#include "platform/fault_injection.h"
#include "platform/limits.h"
#include "support/temp_files.h"

namespace kv {
namespace {

// The mark and `text` in UTF-16LE.
std::string Log(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t unit : text) bytes += {char(unit & 0xFF), char(unit >> 8)};
  return bytes;
}

class LogReaderTest : public ::testing::Test {
 protected:
  void TearDown() override { platform::ClearFaults(); }

  // Line `index` read with `capacity`, or the untouched text in <> when not kRead.
  std::u16string Line(std::uint64_t index, std::size_t capacity = limits::kLogViewLineUnits) {
    std::u16string line = u"untouched";
    const LogLineStatus status = ReadLogLine(prefix_.Store(), kLogPath, index, line, capacity);
    return status == LogLineStatus::kRead ? line : u"<" + line + u">";
  }

  testing::TempPrefix prefix_;
};

TEST_F(LogReaderTest, HandMadeFilesGiveTheseLines) {
  using enum LogLineStatus;
  const struct {
    const char* label;
    std::string file;
    std::optional<std::uint64_t> count;
    std::vector<std::u16string> lines;
    LogLineStatus pastLastLine;  // reading line `lines.size()`
  } rows[] = {
      {"mark only", Log(u""), 0, {}, kEndsAtLine},
      {"as written", Log(u"\r\nA\r\nBc"), 2, {u"A", u"Bc"}, kPastLastLine},
      {"empty lines", Log(u"\r\n\r\nA\r\n\r\n\r\nB\r\n"), 2, {u"A", u"B"}, kEndsAtLine},
      {"lone CR takes the next unit", Log(u"\r\nAB\rCD\r\nE"), 2, {u"ABD", u"E"}, kPastLastLine},
      {"CR before CR LF takes the CR", Log(u"A\r\r\nB"), 1, {u"A\nB"}, kPastLastLine},
      {"lone LF is text", Log(u"\n\r\nA\nB"), 2, {u"\n", u"A\nB"}, kPastLastLine},
      {"odd last byte after CR LF", Log(u"A\r\n") + "B", 1, {u"A"}, kEndsAtLine},
      {"big-endian mark", "\xFE\xFF" + Log(u"A").substr(2), std::nullopt, {}, kNotALog},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    prefix_.WriteStoreFile("Runeskop.log", row.file);
    EXPECT_EQ(CountLogLines(prefix_.Store(), kLogPath), row.count);
    for (std::size_t i = 0; i < row.lines.size(); ++i) EXPECT_EQ(Line(i), row.lines[i]);
    std::u16string line = u"untouched";
    EXPECT_EQ(ReadLogLine(prefix_.Store(), kLogPath, row.lines.size(), line, 9), row.pastLastLine);
    EXPECT_EQ(ReadLogLine(prefix_.Store(), kLogPath, 99, line, 9),
              row.count ? kPastLastLine : kNotALog);
    EXPECT_EQ(line, u"untouched");
  }
}

TEST_F(LogReaderTest, MissingOrUnreadableFileIsNoLog) {
  EXPECT_EQ(CountLogLines(prefix_.Store(), kLogPath), std::nullopt);
  EXPECT_EQ(Line(0), u"<untouched>");
  prefix_.WriteStoreFile("Runeskop.log", Log(u"A"));
  platform::FailNext(platform::FaultPoint::kRead);
  EXPECT_EQ(CountLogLines(prefix_.Store(), kLogPath), std::nullopt);
}

TEST_F(LogReaderTest, SeparatorsAstrideReadChunksReadLikeAnyOther) {
  // The CR of the second separator falls at bytes 65530 to 65538, around
  // the end of a 64 KiB chunk; then the same for a lone CR.
  for (std::size_t units = 32762; units <= 32766; ++units) {
    SCOPED_TRACE(units);
    const std::u16string first(units, u'a');
    prefix_.WriteStoreFile("Runeskop.log", Log(u"\r\n" + first + u"\r\nB\rXC"));
    EXPECT_EQ(CountLogLines(prefix_.Store(), kLogPath), 2u);
    EXPECT_EQ(Line(0, units + 5), first);
    EXPECT_EQ(Line(0).size(), limits::kLogViewLineUnits);  // cut at the capacity
    EXPECT_EQ(Line(1), u"BC");
    prefix_.WriteStoreFile("Runeskop.log", Log(u"\r\n" + first + u"\rX\r\nB"));
    EXPECT_EQ(Line(0, units + 5), first);
    EXPECT_EQ(Line(1), u"B");
  }
}

// The log view reads from the last index down, newest first: the indices
// must follow the order of writing.
TEST_F(LogReaderTest, RecordsWrittenReadBackInOrder) {
  for (const char16_t* record : {u"A", u"", u"B\u00E9", u"C"}) {
    ASSERT_EQ(AppendLogRecord(prefix_.Store(), kLogPath, record), LogAppendResult::kAppended);
  }
  EXPECT_EQ(CountLogLines(prefix_.Store(), kLogPath), 3u);
  EXPECT_EQ(Line(2) + Line(1) + Line(0), u"CB\u00E9A");
}

}  // namespace
}  // namespace kv
