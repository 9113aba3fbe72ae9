// Text conversions at the host boundary: UTF-8 <-> UTF-16 with their
// ill-formed-input outcomes, and the Windows-1252 widening.
#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>
#include "support/label_name.h"

namespace kv::platform {
namespace {

struct Utf8Case {
  const char* label;
  std::string utf8;
  std::u16string utf16;
};

class Utf8ToUtf16Test : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8ToUtf16Test, DecodesOrReplacesEachIllFormedSubpart) {
  EXPECT_EQ(Utf8ToUtf16(GetParam().utf8), GetParam().utf16) << GetParam().label;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Utf8ToUtf16Test,
    ::testing::Values(Utf8Case{"empty", "", u""}, Utf8Case{"ascii", "VirusDB.dat", u"VirusDB.dat"},
                      Utf8Case{"two bytes", "\xC3\xA4rger", u"\u00E4rger"},
                      Utf8Case{"three bytes", "\xE2\x82\xAC", u"\u20AC"},
                      Utf8Case{"four bytes give a pair", "\xF0\x9F\x98\x80", u"\U0001F600"},
                      Utf8Case{"stray continuation", "a\x80z", u"a\uFFFDz"},
                      Utf8Case{"truncated three-byte sequence is one subpart", "a\xE2\x82z",
                               u"a\uFFFDz"},
                      Utf8Case{"truncated at the end", "a\xF0\x9F\x98", u"a\uFFFD"},
                      Utf8Case{"overlong lead and its continuation", "\xC0\xAF", u"\uFFFD\uFFFD"},
                      Utf8Case{"overlong three-byte form", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
                      Utf8Case{"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
                      Utf8Case{"above U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
                      Utf8Case{"highest code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
                      Utf8Case{"invalid lead byte",
                               "\xFF"
                               "a",
                               u"\uFFFDa"}),
    kv::testing::LabelName());

struct Utf16Case {
  const char* label;
  std::u16string utf16;
  std::string utf8;
};

class Utf16ToUtf8Test : public ::testing::TestWithParam<Utf16Case> {};

TEST_P(Utf16ToUtf8Test, EncodesOrReplacesLoneSurrogates) {
  EXPECT_EQ(Utf16ToUtf8(GetParam().utf16), GetParam().utf8) << GetParam().label;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Utf16ToUtf8Test,
    ::testing::Values(Utf16Case{"ascii", u"\\Runeskop.log", "\\Runeskop.log"},
                      Utf16Case{"latin-1", u"M\u00FCsic", "M\xC3\xBCsic"},
                      Utf16Case{"bmp", u"\u20AC", "\xE2\x82\xAC"},
                      Utf16Case{"pair", u"\U0001F600", "\xF0\x9F\x98\x80"},
                      Utf16Case{"lone high", std::u16string{u'a', char16_t{0xD800}, u'b'},
                                "a\xEF\xBF\xBD"
                                "b"},
                      Utf16Case{"lone low", std::u16string{char16_t{0xDC00}}, "\xEF\xBF\xBD"},
                      Utf16Case{"high at the end", std::u16string{u'a', char16_t{0xDBFF}},
                                "a\xEF\xBF\xBD"},
                      Utf16Case{"swapped pair", std::u16string{char16_t{0xDC00}, char16_t{0xD800}},
                                "\xEF\xBF\xBD\xEF\xBF\xBD"}),
    kv::testing::LabelName());

TEST(TextRoundTrip, WellFormedTextSurvivesBothWays) {
  const std::u16string text = u"\\Program Files\\Quellbrin\\\u00C4\u20AC\U0001F600.dat";
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
}

struct AnsiCase {
  unsigned char byte;
  char16_t unit;
};

class WidenAnsiTest : public ::testing::TestWithParam<AnsiCase> {};

TEST_P(WidenAnsiTest, MapsByteThroughWindows1252) {
  const std::string text(1, static_cast<char>(GetParam().byte));
  EXPECT_EQ(WidenAnsi(text), std::u16string(1, GetParam().unit))
      << "byte 0x" << std::hex << int{GetParam().byte};
}

INSTANTIATE_TEST_SUITE_P(
    Table, WidenAnsiTest,
    ::testing::Values(AnsiCase{0x00, 0x0000}, AnsiCase{0x41, 0x0041}, AnsiCase{0x7F, 0x007F},
                      AnsiCase{0x80, 0x20AC}, AnsiCase{0x82, 0x201A}, AnsiCase{0x83, 0x0192},
                      AnsiCase{0x85, 0x2026}, AnsiCase{0x8A, 0x0160}, AnsiCase{0x8C, 0x0152},
                      AnsiCase{0x8E, 0x017D}, AnsiCase{0x91, 0x2018}, AnsiCase{0x94, 0x201D},
                      AnsiCase{0x96, 0x2013}, AnsiCase{0x97, 0x2014}, AnsiCase{0x98, 0x02DC},
                      AnsiCase{0x99, 0x2122}, AnsiCase{0x9A, 0x0161}, AnsiCase{0x9C, 0x0153},
                      AnsiCase{0x9E, 0x017E}, AnsiCase{0x9F, 0x0178},
                      // The five bytes the code page leaves undefined keep their value.
                      AnsiCase{0x81, 0x0081}, AnsiCase{0x8D, 0x008D}, AnsiCase{0x8F, 0x008F},
                      AnsiCase{0x90, 0x0090}, AnsiCase{0x9D, 0x009D},
                      // Above 0x9F the code page is Latin-1.
                      AnsiCase{0xA0, 0x00A0}, AnsiCase{0xC4, 0x00C4}, AnsiCase{0xFF, 0x00FF}),
    [](const ::testing::TestParamInfo<AnsiCase>& info) {
      static constexpr char kHex[] = "0123456789ABCDEF";
      return std::string("byte_") + kHex[info.param.byte >> 4] + kHex[info.param.byte & 0xF];
    });

TEST(WidenAnsi, WidensEveryByteOfALineInPlace) {
  EXPECT_EQ(WidenAnsi("\\Windows\\\x80vil\x9F.exe"), u"\\Windows\\\u20ACvil\u0178.exe");
  EXPECT_EQ(WidenAnsi(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

}  // namespace
}  // namespace kv::platform
