// The main window's database line: the not-loaded text, one signature and
// many, counted over every list, and the grouping of thousands.
#include "app/database_line.h"

#include <gtest/gtest.h>

#include "platform/text.h"
#include "support/database_writer.h"

namespace kv::testing {
namespace {

std::string LineOf(const std::string& file) {
  return Utf16ToUtf8(DatabaseLine(*SignatureDatabase::Build(file, SignatureDatabase())));
}

TEST(DatabaseLine, NamesTheVersionAndEverySignatureOrSaysNoneIsLoaded) {
  EXPECT_EQ(Utf16ToUtf8(DatabaseLine(SignatureDatabase{})), "Virus DB is not loaded!");
  EXPECT_EQ(LineOf(DatabaseFile("7", {"[VirusFile]", "\\a.exe"})), "Virus DB is not loaded!");
  EXPECT_EQ(LineOf(DatabaseFile("20240611", {"[VirusCharacter]", CharacterLine("A", "KVA")})),
            "VirusDB 20240611 \u00B7 1 signature");
  EXPECT_EQ(LineOf(DatabaseFile("200", {"[VirusCharacter]", CharacterLine("A", "KVA"),
                                        CharacterLine("B", "KVB"), "[VirusFile]", "\\a.exe"})),
            "VirusDB 200 \u00B7 3 signatures");
}

TEST(DatabaseLine, GroupsThousandsWithCommas) {
  const struct {
    std::uint64_t number;
    const char* grouped;
  } rows[] = {{999, "999"},
              {1000, "1,000"},
              {1234567, "1,234,567"},
              {18446744073709551615u, "18,446,744,073,709,551,615"}};
  for (const auto& row : rows) {
    EXPECT_EQ(Utf16ToUtf8(GroupThousands(row.number)), row.grouped);
  }
}

}  // namespace
}  // namespace kv::testing
