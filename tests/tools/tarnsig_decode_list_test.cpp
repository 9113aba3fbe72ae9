// tarnsig decode and list end to end on databases written by the test
// encoder: the pinned list format, the undecodable-line mark, bad files.
#include <gtest/gtest.h>

#include <string>

#include "support/database_writer.h"
#include "tarnsig_runner.h"

namespace kv {
namespace {

using testing::DatabaseFile;
using testing::RunResult;
using testing::RunTarnsig;
using testing::StoredLine;
using testing::TempDir;
using testing::WriteFile;

TEST(TarnsigList, ShowsWhatTheLoaderLoads) {
  const TempDir dir;
  const std::string head =
      DatabaseFile("20102", {"Orphan              before-marker", "[VirusCharacter]",
                             "Alpha               abc[0-9]+", "NoBlankInNameField!!x", "short",
                             "[VirusFile]", "\\Windows\\a b.exe", "[VirusProcess]", "evil.exe",
                             "tab\there caf\xe9.exe", "[DELETE_FILES]"});
  WriteFile(dir.File("db"),
            head + StoredLine("[Alpha]") + "\r\n" + StoredLine("\\Windows\\alpha.dll") + "\r\n");

  const RunResult result = RunTarnsig({"list", dir.File("db")});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out,
            "version 20102\n"
            "section character 3\n"
            "character 1 name=Orphan pattern=before-marker\n"
            "character 2 name=Alpha pattern=abc[0-9]+\n"
            "character 3 name= pattern=x\n"
            "section file 1\n"
            "file 1 path=\\Windows\\a b.exe\n"
            "section process 2\n"
            "process 1 exe=evil.exe\n"
            "process 2 exe=tab\\x09here caf\\xE9.exe\n"
            "delete-files-offset " +
                std::to_string(head.size()) + "\n");
}

TEST(TarnsigList, ShowsEmptySectionsAndNoDeleteListOffset) {
  const TempDir dir;
  WriteFile(dir.File("db"), DatabaseFile("-3", {"[VirusProcess]", "a.exe"}));
  const RunResult result = RunTarnsig({"list", dir.File("db")});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out,
            "version -3\n"
            "section character 0\n"
            "section file 0\n"
            "section process 1\n"
            "process 1 exe=a.exe\n"
            "delete-files-offset none\n");
}

TEST(TarnsigDecode, PrintsTheVersionAndEveryPlainLine) {
  const TempDir dir;
  WriteFile(dir.File("db"), DatabaseFile("20102", {"[VirusFile]", "\\a.exe", "", "[DELETE_FILES]",
                                                   "[Alpha]", "\\b.dll"}) +
                                StoredLine("lost: no line end"));
  const RunResult result = RunTarnsig({"decode", dir.File("db")});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, "20102\n[VirusFile]\n\\a.exe\n\n[DELETE_FILES]\n[Alpha]\n\\b.dll\n");
}

TEST(TarnsigDecode, MarksALineThatCannotBeDecoded) {
  const TempDir dir;
  WriteFile(dir.File("db"), DatabaseFile("1", {"first"}) + "!!!!\r\n" + StoredLine("abc") +
                                "    \r\n" + StoredLine("last") + "\r\n");
  const RunResult result = RunTarnsig({"decode", dir.File("db")});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "1\nfirst\n<<undecodable line 3>>\n<<undecodable line 4>>\nlast\n");
}

TEST(TarnsigDecode, ShowsAPlainLineUpToItsFirstZeroByte) {
  const TempDir dir;
  WriteFile(dir.File("db"), DatabaseFile("1", {std::string_view("keep\0drop", 9)}));
  EXPECT_EQ(RunTarnsig({"decode", dir.File("db")}).out, "1\nkeep\n");
}

TEST(TarnsigDatabaseVerbs, RefuseFilesTheyCannotRead) {
  const TempDir dir;
  WriteFile(dir.File("plain.txt"), "20102\n[VirusFile]\n");
  for (const std::string verb : {"decode", "list"}) {
    struct Case {
      std::string path;
      std::string message;
    };
    const Case cases[] = {
        {dir.File("missing"), "cannot open '" + dir.File("missing") + "'"},
        {dir.File(""), "'" + dir.File("") + "' is a directory"},
        {dir.File("plain.txt"), "'" + dir.File("plain.txt") + "' holds no line ending in CR LF"},
    };
    for (const Case& c : cases) {
      const RunResult result = RunTarnsig({verb, c.path});
      EXPECT_EQ(result.status, 2) << verb << " " << c.path;
      EXPECT_EQ(result.out, "");
      EXPECT_EQ(result.err, "tarnsig: " + verb + ": " + c.message + "\n");
    }
  }
}

}  // namespace
}  // namespace kv
