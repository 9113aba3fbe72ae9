// The main window's database line: the not-loaded text, one signature and
// many, counted over every list, thousands grouped.
#include "app/database_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text.h"
#include "support/database_writer.h"

namespace kv::testing {
namespace {

std::string LineOf(const std::string& file) {
  return Utf16ToUtf8(DatabaseLine(*SignatureDatabase::Build(file, SignatureDatabase())));
}

TEST(DatabaseLine, NamesTheVersionAndCountsEverySignatureOrSaysNoneIsLoaded) {
  EXPECT_EQ(LineOf(DatabaseFile("7", {"[VirusFile]", "\\a.exe"})), "Virus DB is not loaded!");
  EXPECT_EQ(LineOf(DatabaseFile("20240611", {"[VirusCharacter]", CharacterLine("A", "KVA")})),
            "VirusDB 20240611 \u00B7 1 signature");
  std::vector<std::string> many = {"[VirusCharacter]", CharacterLine("A", "KVA"), "[VirusFile]"};
  for (int i = 1; i < 1234; ++i) many.push_back("\\" + std::to_string(i) + ".exe");
  EXPECT_EQ(LineOf(DatabaseFile("9", many)), "VirusDB 9 \u00B7 1,234 signatures");
}

}  // namespace
}  // namespace kv::testing
