// Text at the host boundary and in names: UTF-8 <-> UTF-16 with their
// ill-formed-input outcomes, and the handset file system's case-insensitive
// comparison.
#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/case_fold.h"

namespace kv {
namespace {

TEST(Utf8ToUtf16, DecodesOrReplacesEachIllFormedSubpart) {
  // Well formed up to U+10FFFF; then a stray continuation, sequences cut off
  // inside and at the end (one subpart each), overlong forms, an encoded
  // surrogate, a code point above U+10FFFF and an invalid lead byte.
  // clang-format off
  const std::pair<std::string, std::u16string> cases[] = {
      {"Vir\xC3\xA4\xE2\x82\xAC", u"Vir\u00E4\u20AC"}, {"\xF0\x9F\x98\x80", u"\U0001F600"},
      {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"}, {"a\x80z", u"a\uFFFDz"},
      {"a\xE2\x82z", u"a\uFFFDz"}, {"a\xF0\x9F\x98", u"a\uFFFD"}, {"\xC0\xAF", u"\uFFFD\uFFFD"},
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, {"\xFF" "a", u"\uFFFDa"}};
  // clang-format on
  for (const auto& [utf8, utf16] : cases) EXPECT_EQ(Utf8ToUtf16(utf8), utf16) << utf8;
}

TEST(Utf16ToUtf8, EncodesOrReplacesLoneSurrogates) {
  // clang-format off
  const std::pair<std::u16string, std::string> cases[] = {
      {u"M\u00FCsic\u20AC", "M\xC3\xBCsic\xE2\x82\xAC"}, {u"\U0001F600", "\xF0\x9F\x98\x80"},
      {{u'a', char16_t{0xD800}, u'b'}, "a\xEF\xBF\xBD" "b"},
      {{char16_t{0xDC00}, char16_t{0xD800}}, "\xEF\xBF\xBD\xEF\xBF\xBD"}};
  // clang-format on
  for (const auto& [utf16, utf8] : cases) EXPECT_EQ(Utf16ToUtf8(utf16), utf8) << utf8;
}

TEST(EqualIgnoringCase, ComparesAsTheHandsetFileSystem) {
  // Equal: ASCII, Latin-1, the Windows-1252 letters, Latin Extended-A even
  // and odd pairs. Different: other text, neighbouring pairs, x and
  // division signs, dotless i, Greek, @ and backquote.
  // clang-format off
  const std::tuple<std::u16string, std::u16string, bool> cases[] = {
      {u"VirusDB.DAT", u"virusdb.dat", true}, {u"\u0100\u0139", u"\u0101\u013A", true},
      {u"\u00C4\u00D6\u00DC\u00DE", u"\u00E4\u00F6\u00FC\u00FE", true},
      {u"\u0178\u0160\u0152\u017D", u"\u00FF\u0161\u0153\u017E", true},
      {u"virusdb.dat", u"virusdb.da_", false}, {u"abc", u"abcd", false}, {u"@", u"`", false},
      {u"\u0101", u"\u0102", false}, {u"\u00D7", u"\u00F7", false}, {u"\u0131", u"I", false},
      {u"\u0391", u"\u03B1", false}};
  // clang-format on
  for (const auto& [a, b, equal] : cases) {
    EXPECT_EQ(EqualIgnoringCase(a, b), equal) << Utf16ToUtf8(a);
    EXPECT_EQ(EqualIgnoringCase(b, a), equal) << Utf16ToUtf8(a);
  }
}

}  // namespace
}  // namespace kv
