// ReadDatabaseLines and its line cursor on database contents built in
// memory with the test encoder: the line walk, the version, the sections,
// the name field, and lines the format forbids.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "scan/database_lines.h"
#include "scan/virus_database.h"
#include "support/database_writer.h"

namespace kv {
namespace {

using testing::DatabaseFile;
using testing::StoredLine;
using Strings = std::vector<std::string>;

constexpr int32_t kVersionBefore = -7;
constexpr int32_t kOffsetBefore = 4242;

struct Loaded {
  SignatureStore store;
  int32_t version = kVersionBefore;
};

Loaded Load(std::string_view content) {
  Loaded loaded;
  loaded.store.deleteFilesOffset = kOffsetBefore;
  ReadDatabaseLines(content, loaded.store, loaded.version);
  return loaded;
}

Strings Patterns(const SignatureList& list) {
  Strings patterns;
  for (const SignatureRecord& record : list) patterns.push_back(record.pattern);
  return patterns;
}

Strings Names(const SignatureList& list) {
  Strings names;
  for (const SignatureRecord& record : list) names.push_back(record.name);
  return names;
}

std::string Line(std::string_view plain) { return StoredLine(plain) + "\r\n"; }

// A character line: `name` padded with blanks to the 20-character field.
std::string Character(std::string_view name, std::string_view pattern) {
  std::string line(name);
  line.resize(20, ' ');
  return line + std::string(pattern);
}

void ExpectNothingLoaded(const Loaded& loaded) {
  EXPECT_TRUE(loaded.store.characterSignatures.empty());
  EXPECT_TRUE(loaded.store.fileSignatures.empty());
  EXPECT_TRUE(loaded.store.processSignatures.empty());
}

// --- The line walk -------------------------------------------------------

TEST(DatabaseLineCursor, SplitsAtCrAndCountsEveryLineWithTwoMoreBytes) {
  DatabaseLineCursor cursor("12\r\nabc\r\n\r\nrest");
  EXPECT_EQ(cursor.Next(), "12");
  EXPECT_EQ(cursor.LineNumber(), 1u);
  EXPECT_EQ(cursor.Consumed(), 4u);
  EXPECT_EQ(cursor.Next(), "abc");
  EXPECT_EQ(cursor.Consumed(), 9u);
  EXPECT_EQ(cursor.Next(), "");
  EXPECT_EQ(cursor.LineNumber(), 3u);
  EXPECT_EQ(cursor.Consumed(), 11u);
  EXPECT_EQ(cursor.Next(), std::nullopt);
  EXPECT_EQ(cursor.Next(), std::nullopt);
}

TEST(DatabaseLineCursor, SkipsTheByteAfterACrWhateverItIs) {
  DatabaseLineCursor cursor("a\rXb\r\r\r\rc\r");
  EXPECT_EQ(cursor.Next(), "a");
  EXPECT_EQ(cursor.Next(), "b");
  EXPECT_EQ(cursor.Next(), "");
  EXPECT_EQ(cursor.Next(), "c");
  EXPECT_EQ(cursor.Consumed(), 11u);  // one past the content: the last CR has no LF
  EXPECT_EQ(cursor.Next(), std::nullopt);
}

TEST(DatabaseLineCursor, TreatsZeroBytesAsOrdinaryBytes) {
  DatabaseLineCursor cursor(std::string_view("a\0b\r\nc\r\n", 8));
  EXPECT_EQ(cursor.Next(), std::string_view("a\0b", 3));
  EXPECT_EQ(cursor.Next(), "c");
}

TEST(ReadDatabaseLines, LoadsNothingFromContentWithoutCr) {
  const std::string cases[] = {
      "",
      "20102",
      "20102\n" + StoredLine("[VirusFile]") + "\n" + StoredLine("\\a.exe") + "\n",
  };
  for (const std::string& content : cases) {
    const Loaded loaded = Load(content);
    EXPECT_EQ(loaded.version, kVersionBefore);
    EXPECT_EQ(loaded.store.deleteFilesOffset, kOffsetBefore);
    ExpectNothingLoaded(loaded);
  }
}

TEST(ReadDatabaseLines, LosesALastLineWithoutLineEnd) {
  const Loaded loaded = Load(DatabaseFile("1", {"[VirusFile]", "\\a.exe"}) + StoredLine("\\b.exe"));
  EXPECT_EQ(Patterns(loaded.store.fileSignatures), Strings{"\\a.exe"});
}

TEST(ReadDatabaseLines, LoadsALastLineEndingInCrAlone) {
  const Loaded loaded = Load(DatabaseFile("1", {"[VirusFile]"}) + StoredLine("\\a.exe") + "\r");
  EXPECT_EQ(Patterns(loaded.store.fileSignatures), Strings{"\\a.exe"});
}

TEST(ReadDatabaseLines, SetsOnlyTheVersionFromAVersionLineAlone) {
  const Loaded loaded = Load("20102\r\n");
  EXPECT_EQ(loaded.version, 20102);
  EXPECT_EQ(loaded.store.deleteFilesOffset, kOffsetBefore);
  ExpectNothingLoaded(loaded);
}

TEST(ReadDatabaseLines, SkipsTheByteAfterEachCrWhateverItIs) {
  const std::string content = "7\rZ" + StoredLine("[VirusFile]") + "\r?" + Line("\\a.exe");
  const Loaded loaded = Load(content);
  EXPECT_EQ(loaded.version, 7);
  EXPECT_EQ(Patterns(loaded.store.fileSignatures), Strings{"\\a.exe"});
}

// --- The version line ----------------------------------------------------

TEST(ReadDatabaseLines, ReadsTheVersionAsAtoiDoes) {
  struct Case {
    std::string line;
    int32_t version;
  };
  const Case cases[] = {
      {"20102", 20102},
      {"abc", 0},
      {"", 0},
      {"v20102", 0},
      {"  42xyz", 42},
      {"\t\v\f12", 12},
      {"-5", -5},
      {"+7", 7},
      {"- 5", 0},
      {std::string("12\0"
                   "34",
                   5),
       12},
      {"2147483647", std::numeric_limits<int32_t>::max()},
      {"99999999999", std::numeric_limits<int32_t>::max()},
      {"-99999999999", std::numeric_limits<int32_t>::min()},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Load(c.line + "\r\n").version, c.version) << "\"" << c.line << "\"";
  }
}

// --- Sections ------------------------------------------------------------

TEST(ReadDatabaseLines, PutsRecordsBeforeTheFirstMarkerIntoTheCharacterSection) {
  const Loaded loaded =
      Load(DatabaseFile("1", {Character("First", "aaa"), "[VirusFile]", "\\a.exe"}));
  EXPECT_EQ(Patterns(loaded.store.characterSignatures), Strings{"aaa"});
  EXPECT_EQ(Names(loaded.store.characterSignatures), Strings{"First"});
  EXPECT_EQ(Patterns(loaded.store.fileSignatures), Strings{"\\a.exe"});
}

TEST(ReadDatabaseLines, SwitchesSectionOnAMarkerInsideALongerLineAndStoresNoMarker) {
  const Loaded loaded =
      Load(DatabaseFile("1", {"xx[VirusProcess]yy", "evil.exe", "; [VirusFile] below", "\\a.exe",
                              "Comment             [VirusCharacter]", Character("Sig", "p")}));
  EXPECT_EQ(Patterns(loaded.store.processSignatures), Strings{"evil.exe"});
  EXPECT_EQ(Patterns(loaded.store.fileSignatures), Strings{"\\a.exe"});
  EXPECT_EQ(Patterns(loaded.store.characterSignatures), Strings{"p"});
}

TEST(ReadDatabaseLines, TestsMarkersInTableOrder) {
  struct Case {
    std::string markerLine;
    std::string_view section;  // where the next record lands; "delete" ends
  };
  const Case cases[] = {
      {"[VirusFile][VirusCharacter]", "character"}, {"[DELETE_FILES][VirusCharacter]", "character"},
      {"[VirusProcess][VirusFile]", "file"},        {"[DELETE_FILES][VirusFile]", "file"},
      {"[DELETE_FILES][VirusProcess]", "process"},  {"[DELETE_FILES]", "delete"},
  };
  for (const Case& c : cases) {
    const Loaded loaded =
        Load(DatabaseFile("1", {"[VirusProcess]", c.markerLine, Character("Rec", "record")}));
    const SignatureStore& store = loaded.store;
    const std::string_view landed = !store.characterSignatures.empty() ? "character"
                                    : !store.fileSignatures.empty()    ? "file"
                                    : !store.processSignatures.empty() ? "process"
                                                                       : "delete";
    EXPECT_EQ(landed, c.section) << c.markerLine;
  }
}

TEST(ReadDatabaseLines, KeepsFileOrderAcrossRepeatedMarkers) {
  const Loaded loaded =
      Load(DatabaseFile("1", {"[VirusFile]", "\\1", "[VirusProcess]", "p1", "[VirusFile]", "\\2",
                              "\\3", "[VirusCharacter]", Character("C1", "c1"), "[VirusProcess]",
                              "p2", "[VirusCharacter]", Character("C2", "c2")}));
  EXPECT_EQ(Patterns(loaded.store.fileSignatures), (Strings{"\\1", "\\2", "\\3"}));
  EXPECT_EQ(Patterns(loaded.store.processSignatures), (Strings{"p1", "p2"}));
  EXPECT_EQ(Patterns(loaded.store.characterSignatures), (Strings{"c1", "c2"}));
  EXPECT_EQ(Names(loaded.store.fileSignatures), (Strings{"", "", ""}));
}

TEST(ReadDatabaseLines, StopsAtDeleteFilesAndRecordsTheOffsetAfterItsLine) {
  const std::string head = DatabaseFile("20102", {"[VirusFile]", "\\a.exe", "[DELETE_FILES]"});
  const std::string tail = Line("[Demo]") + Line("\\b.dll") + Line("[VirusFile]") + Line("\\c.exe");
  const Loaded loaded = Load(head + tail);
  EXPECT_EQ(loaded.store.deleteFilesOffset, static_cast<int32_t>(head.size()));
  EXPECT_EQ(Patterns(loaded.store.fileSignatures), Strings{"\\a.exe"});
  EXPECT_TRUE(loaded.store.characterSignatures.empty());
}

TEST(ReadDatabaseLines, SetsTheOffsetToTheFileSizeWhenDeleteFilesIsTheLastLine) {
  const std::string content = DatabaseFile("1", {"[VirusFile]", "\\a.exe", "xx[DELETE_FILES]"});
  EXPECT_EQ(Load(content).store.deleteFilesOffset, static_cast<int32_t>(content.size()));
}

TEST(ReadDatabaseLines, KeepsTheOffsetWhenThereIsNoDeleteFilesLine) {
  EXPECT_EQ(Load(DatabaseFile("1", {"[VirusFile]", "\\a.exe"})).store.deleteFilesOffset,
            kOffsetBefore);
}

// --- Character lines -----------------------------------------------------

TEST(ReadDatabaseLines, TakesTheNameFromTheFieldAndThePatternFromThe21stCharacter) {
  struct Case {
    std::string line;
    std::string name;
    std::string pattern;
  };
  const Case cases[] = {
      {"abc" + std::string(17, ' ') + "pat", "abc", "pat"},
      {"ABCDEFGHIJKLMNOPQRSTpat", "", "pat"},
      {"abc" + std::string(17, ' '), "abc", ""},
      {"ABCDEFGHIJKLMNOPQRST", "", ""},
      {"ABCDEFGHIJKLMNOPQRS pat", "ABCDEFGHIJKLMNOPQRS", "pat"},
      {" leading            pat", "", "pat"},
      {"ab cd               pat", "ab", "pat"},
      {"ab\tcd               pat", "ab\tcd", "pat"},
      {"n" + std::string(19, ' ') + "  two leading blanks", "n", "  two leading blanks"},
  };
  for (const Case& c : cases) {
    const Loaded loaded = Load(DatabaseFile("1", {c.line}));
    ASSERT_EQ(loaded.store.characterSignatures.size(), 1u) << c.line;
    EXPECT_EQ(loaded.store.characterSignatures[0].name, c.name) << c.line;
    EXPECT_EQ(loaded.store.characterSignatures[0].pattern, c.pattern) << c.line;
  }
}

TEST(ReadDatabaseLines, SkipsACharacterLineShorterThanTheNameField) {
  const Loaded loaded = Load(
      DatabaseFile("1", {Character("One", "1"), "ABCDEFGHIJKLMNOPQRS", "", Character("Two", "2")}));
  EXPECT_EQ(Names(loaded.store.characterSignatures), (Strings{"One", "Two"}));
}

// --- Lines the format forbids --------------------------------------------

TEST(ReadDatabaseLines, SkipsAnEncodedLineLongerThan159Characters) {
  const std::string plain(117, 'x');  // 156 characters when stored
  const std::string stored = StoredLine(plain);
  ASSERT_EQ(stored.size(), 156u);
  // Blanks inside a stored line are skipped by the decoder: both decode.
  const std::string at159 = stored.substr(0, 80) + "   " + stored.substr(80);
  const std::string at160 = stored.substr(0, 80) + "    " + stored.substr(80);
  const std::string content =
      DatabaseFile("1", {"[VirusFile]"}) + at159 + "\r\n" + at160 + "\r\n" + Line("\\after.exe");
  EXPECT_EQ(Patterns(Load(content).store.fileSignatures), (Strings{plain, "\\after.exe"}));
}

TEST(ReadDatabaseLines, ReadsAnUndecodableLineAsAnEmptyPlainLine) {
  const std::string bad = "!!!!\r\n";
  const std::string content = DatabaseFile("1", {}) + bad + Line("[VirusFile]") + bad +
                              Line("[VirusProcess]") + bad + Line("ok.exe");
  const Loaded loaded = Load(content);
  EXPECT_TRUE(loaded.store.characterSignatures.empty());
  EXPECT_EQ(Patterns(loaded.store.fileSignatures), Strings{""});
  EXPECT_EQ(Patterns(loaded.store.processSignatures), (Strings{"", "ok.exe"}));
}

TEST(ReadDatabaseLines, EndsAPlainLineAtItsFirstZeroByte) {
  const Loaded loaded =
      Load(DatabaseFile("1", {Character("Zero", std::string_view("ab\0cd", 5)),
                              std::string_view("Short\0padding-to-more-than-20", 29), "[VirusFile]",
                              std::string_view("\\a.exe\0junk", 11),
                              std::string_view("\\b.exe\0[VirusProcess]", 21), "\\c.exe"}));
  EXPECT_EQ(Patterns(loaded.store.characterSignatures), Strings{"ab"});
  EXPECT_EQ(Patterns(loaded.store.fileSignatures), (Strings{"\\a.exe", "\\b.exe", "\\c.exe"}));
  EXPECT_TRUE(loaded.store.processSignatures.empty());
}

TEST(ReadDatabaseLines, ReadsAStoredLineUpToItsFirstZeroByte) {
  const std::string content = DatabaseFile("1", {"[VirusFile]"}) + StoredLine("\\a.exe") +
                              std::string(1, '\0') + "garbage" + "\r\n";
  EXPECT_EQ(Patterns(Load(content).store.fileSignatures), Strings{"\\a.exe"});
}

TEST(ReadDatabaseLines, SkipsLinesOfAnyLengthAndReadsOn) {
  for (const std::size_t length : {160u, 400u, 4096u, 100000u}) {
    const std::string content =
        DatabaseFile("1", {"[VirusFile]"}) + std::string(length, 'A') + "\r\n" + Line("\\a.exe");
    EXPECT_EQ(Patterns(Load(content).store.fileSignatures), Strings{"\\a.exe"}) << length;
  }
}

TEST(ReadDatabaseLines, SurvivesBinaryGarbage) {
  std::mt19937 random(20102);
  std::uniform_int_distribution<int> byteValue(0, 255);
  for (int round = 0; round < 300; ++round) {
    std::string content = DatabaseFile("1", {});
    const std::size_t size = static_cast<std::size_t>(random() % 2000);
    for (std::size_t i = 0; i < size; ++i) {
      // Plenty of CRs, LFs, zero bytes and Base64 characters.
      const int pick = static_cast<int>(random() % 8);
      content += pick == 0   ? '\r'
                 : pick == 1 ? '\n'
                 : pick == 2 ? '\0'
                 : pick < 5  ? "QOPRUX+/=abc123"[random() % 15]
                             : static_cast<char>(byteValue(random));
    }
    const Loaded loaded = Load(content);
    EXPECT_EQ(loaded.version, 1);
    const int32_t offset = loaded.store.deleteFilesOffset;
    EXPECT_TRUE(offset == kOffsetBefore || (offset > 0 && offset <= int32_t(content.size()) + 1));
    for (const SignatureList* list :
         {&loaded.store.characterSignatures, &loaded.store.fileSignatures,
          &loaded.store.processSignatures}) {
      for (const SignatureRecord& record : *list) {
        EXPECT_LE(record.name.size(), 19u);
        EXPECT_LE(record.pattern.size(), 117u);
        EXPECT_EQ(record.pattern.find('\0'), std::string::npos);
        EXPECT_EQ(record.name.find_first_of(std::string_view(" \0", 2)), std::string::npos);
      }
    }
  }
}

}  // namespace
}  // namespace kv
