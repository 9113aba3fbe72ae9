// tarnsig lint end to end: one row per authoring mistake, each checked on
// the plain file and on the same lines encoded (same findings, same exit
// status), the encoded file's own faults, and encode refusing what lint
// calls an error unless forced.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/database_writer.h"
#include "support/program_runner.h"

namespace kv::testing {
namespace {

struct LintRow {
  const char* mistake;
  std::vector<std::string> lines;  // after the version line "7"
  std::string findings;            // "@" stands for the file's path
  int status;
};

std::string Expand(const std::string& findings, const std::string& path) {
  std::string text;
  for (const char c : findings) text += c == '@' ? path : std::string(1, c);
  return text;
}

std::string Plain(const std::vector<std::string>& lines) {
  std::string text = "7\n";
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

std::string Encoded(const std::vector<std::string>& lines) {
  std::string text = "7\r\n";
  for (const std::string& line : lines) text += StoredLine(line) + "\r\n";
  return text;
}

const std::string kGood = CharacterLine("Evil", "EVIL[0-9]+");

// clang-format off
const LintRow kRows[] = {
    {"none", {"[VirusCharacter]", kGood, "[VirusFile]", "\\Windows\\evil.exe", "[VirusProcess]",
              "evil.exe", "[DELETE_FILES]", "[Evil]", "\\Windows\\evil.dll"}, "", 0},
    {"tab in the name column", {"Evil\tEVIL"},
     "@:2:5: error: a tab in the name column: pad the name with blanks to 20 characters\n", 2},
    {"name longer than the column", {"TwentyCharacterNameXEVIL"},
     "@:2:20: error: the name is longer than 19 characters: it runs into the pattern\n", 2},
    {"blank inside a name", {CharacterLine("Demo Macro", "x")},
     "@:2:6: error: a blank inside the name: the name is read as 'Demo'\n", 2},
    {"unclosed group and class", {CharacterLine("Evil", "(unclosed[")},
     "@:2:21: error: '(' is never closed\n", 2},
    {"unclosed class", {CharacterLine("Evil", "ab[c-d")},
     "@:2:23: error: '[' is never closed\n", 2},
    {"stray parenthesis", {CharacterLine("Evil", "abc)def")},
     "@:2:24: error: ')' closes no group: the pattern ends before it\n", 2},
    {"empty pattern", {CharacterLine("Evil", "")},
     "@:2:21: error: empty pattern: it matches any file\n", 2},
    {"misspelled header", {kGood, "[VirusFiel]", "\\Windows\\evil.exe"},
     "@:3:1: error: unknown section header '[VirusFiel]': the lines after it stay in the section "
     "before it\n@:4: error: shorter than the 20-character name column: the loader skips it\n", 2},
    {"marker inside a line", {CharacterLine("Evil", "x[VirusFile]")},
     "@:2:22: error: '[VirusFile]' stands inside a longer line, which is read as that section "
     "header\n", 2},
    {"duplicate name", {kGood, CharacterLine("Evil", "other")},
     "@:3:1: error: duplicate name 'Evil' (first on line 2)\n", 2},
    {"delete group without signature", {kGood, "[DELETE_FILES]", "[Evl]", "\\Windows\\a.dll"},
     "@:4:1: error: delete-list group '[Evl]' names no signature\n", 2},
    {"delete line holding a bracket", {kGood, "[DELETE_FILES]", "[Evil]", "\\Windows\\a[1].dll"},
     "@:4:1: warning: delete-list group '[Evil]' lists no file\n"
     "@:5:1: error: delete-list group '[Windows\\a[1].dl]' names no signature\n"
     "@:5:1: warning: delete-list group '[Windows\\a[1].dl]' lists no file\n"
     "@:5:11: error: a delete-list line holding '[' is read as a group header; write '[NAME]'\n",
     2},
    {"path no content signature confirms", {"[VirusFile]", "\\Windows\\evil.exe"},
     "@:3:1: warning: no content signature can confirm this path: a named file is deleted only "
     "when one matches it\n", 1},
    {"warnings only", {CharacterLine("Evil", "EVIL "), "[VirusFile]", "evil.exe", "evil.exe"},
     "@:2:25: warning: trailing blanks are part of the pattern\n"
     "@:4:1: warning: not a device path (it does not start with '\\'): it names no file\n"
     "@:5:1: warning: not a device path (it does not start with '\\'): it names no file\n"
     "@:5:1: warning: duplicate path (first on line 4)\n", 1},
};
// clang-format on

TEST(TarnsigLint, FindsEachMistakeInThePlainAndTheEncodedFileAlike) {
  const TempDir dir;
  for (const LintRow& row : kRows) {
    SCOPED_TRACE(row.mistake);
    WriteFile(dir.File("plain.txt"), Plain(row.lines));
    WriteFile(dir.File("db"), Encoded(row.lines));
    for (const std::string& path : {dir.File("plain.txt"), dir.File("db")}) {
      const RunResult result = RunTarnsig({"lint", path});
      EXPECT_EQ(result.out, Expand(row.findings, path));
      EXPECT_EQ(result.err, "");
      EXPECT_EQ(result.status, row.status);
    }
  }
}

TEST(TarnsigLint, ReportsWhatTheLoaderCannotReadAndABadVersion) {
  const TempDir dir;
  const std::string path = dir.File("db");
  WriteFile(path, "v7\r\n" + StoredLine(kGood) + "\r\n!!!!\r\n" + std::string(160, 'A') + "\r\n" +
                      StoredLine("[VirusFile]"));
  const RunResult result = RunTarnsig({"lint", path});
  EXPECT_EQ(result.out, path + ":1: error: the version is not a decimal number\n" + path +
                            ":3: error: the line cannot be decoded\n" + path +
                            ":4: error: longer than 159 characters: the loader skips it\n" + path +
                            ":5: error: bytes after the last CR LF: the file is cut\n");
  EXPECT_EQ(result.status, 2);
  WriteFile(dir.File("plain.txt"), "7\n" + std::string(118, 'x') + "\n");
  EXPECT_EQ(
      RunTarnsig({"lint", dir.File("plain.txt")}).out,
      dir.File("plain.txt") + ":2: error: encoded line would be 160 characters, more than 159\n");
}

TEST(TarnsigLint, EncodeRefusesLintErrorsUnlessForcedAndIgnoresWarnings) {
  const TempDir dir;
  const std::string plain = dir.File("plain.txt");
  WriteFile(plain, Plain({CharacterLine("Evil", "(x"), "[VirusFiel]"}));
  const RunResult refused = RunTarnsig({"encode", plain, "-o", dir.File("db")});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err, "tarnsig: encode: " + plain + ":2:21: error: '(' is never closed\n" +
                             "tarnsig: encode: " + plain +
                             ":3:1: error: unknown section header '[VirusFiel]': the lines after "
                             "it stay in the section before it\n" +
                             "tarnsig: encode: " + plain +
                             ": not encoded: 2 errors (--force encodes it anyway)\n");
  EXPECT_FALSE(std::filesystem::exists(dir.File("db")));

  const RunResult forced = RunTarnsig({"encode", "--force", plain, "-o", dir.File("db")});
  EXPECT_EQ(forced.status, 0);
  EXPECT_EQ(forced.out + forced.err, "");
  EXPECT_EQ(ReadFile(dir.File("db")), Encoded({CharacterLine("Evil", "(x"), "[VirusFiel]"}));

  WriteFile(plain, Plain({"[VirusFile]", "\\Windows\\evil.exe"}));  // a warning only
  const RunResult warned = RunTarnsig({"encode", plain, "-o", dir.File("db")});
  EXPECT_EQ(warned.status, 0);
  EXPECT_EQ(warned.out + warned.err, "");
}

}  // namespace
}  // namespace kv::testing
