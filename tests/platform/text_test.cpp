// Text in its host forms. The flat JSON line: what the writer puts out for
// each kind of character, that every written line reads back as it was,
// and which lines the reader refuses. UTF-8 <-> UTF-16 with their
// ill-formed-input outcomes, and the handset file system's
// case-insensitive comparison.
#include "platform/json_line.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/case_fold.h"
#include "platform/text.h"

namespace kv {
namespace {

TEST(JsonLine, WritesEscapesOnlyWhereJsonNeedsThemAndReadsEveryLineBack) {
  // a text and how it is written
  // clang-format off
  const std::pair<std::u16string, std::string> rows[] = {
      {u"plain", R"("plain")"}, {u"a\"b\\c", R"("a\"b\\c")"}, {u"", R"("")"},
      {u"tab\tline\nnul" + std::u16string(1, u'\0') + u"\x1f",
       R"("tab\u0009line\u000Anul\u0000\u001F")"},
      {u"caf\u00e9 \u20ac \U0001F600", "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\""},
      {u"byte\xDC80" u"escape\xD800", R"("byte\uDC80escape\uD800")"}};
  // clang-format on
  for (const auto& [text, written] : rows) {
    JsonObject object;
    object.Add("s", text).Add("n", std::uint64_t{18446744073709551615u});
    const std::string line = WriteJsonLine(object);
    EXPECT_EQ(line, "{\"s\":" + written + ",\"n\":18446744073709551615}");
    const std::optional<JsonObject> read = ReadJsonLine(line + "\n");
    ASSERT_TRUE(read) << line;
    ASSERT_NE(read->Text("s"), nullptr);
    EXPECT_EQ(*read->Text("s"), text) << line;
    EXPECT_EQ(*read->Number("n"), 18446744073709551615u);
    EXPECT_EQ(read->Number("s"), nullptr);
    EXPECT_EQ(read->Text("absent"), nullptr);
  }
}

TEST(JsonLine, ReadsBlanksAndEveryEscapeAndRefusesAnythingElse) {
  const std::optional<JsonObject> object =
      ReadJsonLine(R"( { "a" : "\/\b\f\n\r\t\u00e9\ud83d\ude00" , "b" : 0 } )");
  ASSERT_TRUE(object);
  EXPECT_EQ(*object->Text("a"), u"/\b\f\n\r\t\u00e9\U0001F600");
  EXPECT_EQ(*object->Number("b"), 0u);
  const std::optional<JsonObject> empty = ReadJsonLine("{}");
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->Fields().empty());
  // clang-format off
  const std::vector<std::string> refused = {
      "", "{", R"({"a":1}x)", R"({"a":1,})", R"({"a":-1})", R"({"a":01})", R"({"a":1.5})",
      R"({"a":18446744073709551616})", R"({"a":null})", R"({"a":{"b":1}})", R"({"a":1,"a":2})",
      "{\"a\":\"raw\x01\"}", R"({"a":"\q"})", R"({"a":"\u12"})", R"({"a":"unended})", R"({a:1})"};
  // clang-format on
  for (const std::string& line : refused) EXPECT_FALSE(ReadJsonLine(line)) << line;
}

// Text at the host boundary: UTF-8 <-> UTF-16, well-formed text both ways,
// each ill-formed subpart replaced by one U+FFFD.
TEST(Utf8Utf16, ConvertsBothWaysAndReplacesEachIllFormedSubpart) {
  // clang-format off
  const std::pair<std::string, std::u16string> both[] = {
      {"Vir\xC3\xA4\xE2\x82\xAC", u"Vir\u00E4\u20AC"}, {"\xF0\x9F\x98\x80", u"\U0001F600"},
      {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"}};
  // A stray continuation, sequences cut off inside and at the end (one
  // subpart each), overlong forms, an encoded surrogate, a code point above
  // U+10FFFF and an invalid lead byte.
  const std::pair<std::string, std::u16string> decoded[] = {
      {"a\x80z", u"a\uFFFDz"}, {"a\xE2\x82z", u"a\uFFFDz"}, {"a\xF0\x9F\x98", u"a\uFFFD"},
      {"\xC0\xAF", u"\uFFFD\uFFFD"}, {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, {"\xFF" "a", u"\uFFFDa"}};
  // Lone surrogates.
  const std::pair<std::string, std::u16string> encoded[] = {
      {"a\xEF\xBF\xBD" "b", {u'a', char16_t{0xD800}, u'b'}},
      {"\xEF\xBF\xBD\xEF\xBF\xBD", {char16_t{0xDC00}, char16_t{0xD800}}}};
  // clang-format on
  for (const auto& [utf8, utf16] : both) {
    EXPECT_EQ(Utf8ToUtf16(utf8), utf16) << utf8;
    EXPECT_EQ(Utf16ToUtf8(utf16), utf8) << utf8;
  }
  for (const auto& [utf8, utf16] : decoded) EXPECT_EQ(Utf8ToUtf16(utf8), utf16) << utf8;
  for (const auto& [utf8, utf16] : encoded) EXPECT_EQ(Utf16ToUtf8(utf16), utf8) << utf8;
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
