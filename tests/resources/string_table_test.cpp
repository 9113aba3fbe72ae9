// The string table and its formatter: identifiers are found by the binary
// search (and only they), and the three conversions the texts use are
// filled as the handset's printf filled them.
#include "resources/string_table.h"

#include <gtest/gtest.h>

#include "resources/string_table_entries.h"
#include "resources/text_format.h"

namespace kv::strings {
namespace {

// A table out of order or with a repeated identifier fails a lookup here.
TEST(StringTable, LoadsEveryEntryByItsIdentifierAndNothingElse) {
  for (const StringTableEntry& entry : kStringTable) {
    EXPECT_EQ(LoadString(entry.id), entry.text) << entry.id;
  }
  for (const int unknown : {0, 127, 129, 6599, 6602, 6673, -1}) {
    EXPECT_TRUE(LoadString(unknown).empty()) << unknown;
  }
}

TEST(TextFormat, FillsTheConversionsInOrder) {
  struct Row {
    std::u16string_view format;
    std::initializer_list<FormatArgument> arguments;
    std::u16string_view expected;
  };
  const Row rows[] = {
      {u"Delete Trojan successfully:%s",
       {u"\\Windows\\evil.exe"},
       u"Delete Trojan successfully:\\Windows\\evil.exe"},
      {u"Virus DB Version:%d", {20102}, u"Virus DB Version:20102"},
      {u"%02d:%02d:%02d", {9, 3, 45}, u"09:03:45"},
      {u"%02d", {123}, u"123"},
      {u"%02d", {-5}, u"-5"},
      {u"100%% sure", {}, u"100% sure"},
      {u"no conversions", {1}, u"no conversions"},
      // Missing or mismatched arguments and unknown conversions stay as written.
      {u"%s and %s", {u"one"}, u"one and %s"},
      {u"%d", {u"text"}, u"%d"},
      {u"%s", {5}, u"%s"},
      {u"%x %5d %", {1}, u"%x %5d %"},
      {u"%s", {u"%d"}, u"%d"},
      // Text that is not ASCII, and a host byte escape, pass as they are.
      {u"\u77ed\u4fe1 %s!", {u"\xDCFF\U0001F600"}, u"\u77ed\u4fe1 \xDCFF\U0001F600!"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FormatText(row.format, row.arguments), row.expected);
  }
}

TEST(TextFormat, DatesLinesYearFirstWithTwoDigitTimes) {
  EXPECT_EQ(FormatDated(LoadString(kSelfScanStarted), {2010, 7, 5, 9, 3, 5}),
            u"2010/7/5 09:03:05 Self scan started");
  EXPECT_EQ(FormatDated(kScanClosingDateFormat, {2024, 12, 31, 23, 59, 0}),
            u"*2024/12/31 23:59:00 ");
}

}  // namespace
}  // namespace kv::strings
