// The flat JSON line: what the writer puts out for each kind of character,
// that every written line reads back as it was, and which lines the reader
// refuses.
#include "platform/json_line.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace kv {
namespace {

TEST(JsonLine, WritesEscapesOnlyWhereJsonNeedsThemAndReadsEveryLineBack) {
  // a text and how it is written
  const std::pair<std::u16string, std::string> rows[] = {
      {u"plain", R"("plain")"},
      {u"a\"b\\c", R"("a\"b\\c")"},
      {u"\\Windows\\evil.exe", R"("\\Windows\\evil.exe")"},
      {u"tab\tline\nnul" + std::u16string(1, u'\0') + u"\x1f",
       R"("tab\u0009line\u000Anul\u0000\u001F")"},
      {u"caf\u00e9 \u20ac \U0001F600", "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\""},
      {u"byte\xDC80"
       u"escape\xD800",
       R"("byte\uDC80escape\uD800")"},
      {u"", R"("")"},
  };
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
  const std::vector<std::string> refused = {
      "",
      "{",
      R"({"a":1}x)",
      R"({"a":1,})",
      R"({"a":-1})",
      R"({"a":01})",
      R"({"a":1.5})",
      R"({"a":18446744073709551616})",
      R"({"a":null})",
      R"({"a":{"b":1}})",
      R"({"a":1,"a":2})",
      "{\"a\":\"raw\x01\"}",
      R"({"a":"\q"})",
      R"({"a":"\u12"})",
      R"({"a":"unended})",
      R"({a:1})",
  };
  for (const std::string& line : refused) {
    EXPECT_FALSE(ReadJsonLine(line)) << line;
  }
}

}  // namespace
}  // namespace kv
