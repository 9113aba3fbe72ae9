// The string table and its formatter: identifiers are found by the binary
// search (and only they), and the three conversions the texts use are
// filled as the handset's printf filled them.
#include "resources/string_table.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"
#include "resources/string_table_entries.h"
#include "resources/text_format.h"

namespace kv::strings {
namespace {

std::string Utf8(std::u16string_view text) { return Utf16ToUtf8(text); }

// A table out of order or with a repeated identifier fails a lookup here.
TEST(StringTable, LoadsEveryEntryByItsIdentifierAndNothingElse) {
  for (const StringTableEntry& entry : kStringTable) {
    EXPECT_EQ(LoadString(entry.id), entry.text) << entry.id;
    EXPECT_FALSE(entry.text.empty()) << entry.id;
  }
  for (const int unknown : {0, 127, 129, 6599, 6602, 6673, -1}) {
    EXPECT_TRUE(LoadString(unknown).empty()) << unknown;
  }
}

TEST(TextFormat, FillsTheConversionsInOrder) {
  struct Row {
    std::u16string_view format;
    std::initializer_list<FormatArgument> arguments;
    std::string expected;
  };
  const Row rows[] = {
      {u"Delete Trojan successfully:%s",
       {u"\\Windows\\evil.exe"},
       "Delete Trojan successfully:\\Windows\\evil.exe"},
      {u"Virus DB Version:%d", {20102}, "Virus DB Version:20102"},
      {u"%02d:%02d:%02d", {9, 3, 45}, "09:03:45"},
      {u"%02d", {123}, "123"},
      {u"%02d", {-5}, "-5"},
      {u"100%% sure", {}, "100% sure"},
      {u"no conversions", {1}, "no conversions"},
      // Missing or mismatched arguments and unknown conversions stay as written.
      {u"%s and %s", {u"one"}, "one and %s"},
      {u"%d", {u"text"}, "%d"},
      {u"%s", {5}, "%s"},
      {u"%x %5d %", {1}, "%x %5d %"},
      {u"%s", {u"%d"}, "%d"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Utf8(FormatText(row.format, row.arguments)), row.expected) << Utf8(row.format);
  }
}

TEST(TextFormat, DatesLinesYearFirstWithTwoDigitTimes) {
  EXPECT_EQ(Utf8(FormatDated(LoadString(kSelfScanStarted), {2010, 7, 5, 9, 3, 5})),
            "2010/7/5 09:03:05 Self scan started");
  EXPECT_EQ(Utf8(FormatDated(kScanClosingDateFormat, {2024, 12, 31, 23, 59, 0})),
            "*2024/12/31 23:59:00 ");
}

TEST(TextFormat, KeepsTextThatIsNotAscii) {
  EXPECT_EQ(FormatText(u"\u77ed\u4fe1 %s!", {std::u16string_view(u"\xDCFF\U0001F600")}),
            u"\u77ed\u4fe1 \xDCFF\U0001F600!");
}

}  // namespace
}  // namespace kv::strings
