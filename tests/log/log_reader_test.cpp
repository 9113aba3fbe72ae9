// The log view's reader on hand-made files: which lines it finds (empty
// lines, CR LF, lone CR and LF, an odd last byte, separators astride the
// read chunks, cut lines), files that are no log, and a round trip
// through the writer.
#include "log/log_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "log/log_file.h"
#include "platform/fault_injection.h"
#include "platform/limits.h"
#include "support/temp_files.h"

namespace kv {
namespace {

using Lines = std::vector<std::u16string>;

// The mark and `text` in UTF-16LE.
std::string Log(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t unit : text) bytes += {char(unit & 0xFF), char(unit >> 8)};
  return bytes;
}

class LogReaderTest : public ::testing::Test {
 protected:
  void TearDown() override { ClearFaults(); }

  LogReadStatus Read(Lines& lines, std::size_t capacity = limits::kLogViewLineUnits) {
    return ReadLogLines(prefix_.Store(), kLogPath, capacity, lines);
  }

  testing::TempPrefix prefix_;
};

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

}  // namespace
}  // namespace kv
