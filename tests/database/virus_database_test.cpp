// The database loader: the line walk over contents built in memory with the
// test encoder (line ends, the version, sections, the name field, lines the
// format forbids), the companions a delete list gives, then
// LoadVirusDatabase on real files in a temporary prefix, failed reads and
// closes included.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "database/virus_database.h"
#include "platform/fault_injection.h"
#include "platform/files.h"
#include "platform/limits.h"
#include "support/database_writer.h"
#include "support/temp_files.h"

namespace kv::testing {
namespace {

// What a load left, on one line: "v<version> c[...] f[...] p[...]
// d<deleteFilesOffset>", each list as "<name>/<pattern>;" per record.
std::string Summary(int32_t version, const SignatureList& characters, const SignatureList& files,
                    const SignatureList& processes, int32_t offset) {
  const auto records = [](const SignatureList& list) {
    std::string text;
    for (const SignatureRecord& record : list) text += record.name + "/" + record.pattern + ";";
    return text;
  };
  std::ostringstream summary;
  summary << 'v' << version << " c[" << records(characters) << "] f[" << records(files) << "] p["
          << records(processes) << "] d" << offset;
  return summary.str();
}

std::string Line(std::string_view plain) { return StoredLine(plain) + "\r\n"; }

// Walks `content`; -7 and 4242 stand for a version and offset not read.
// What the walk passed over follows where there is any: " u<undecodable
// lines>", " cut" (a last line without its line end), " l[<delete-list
// line>;...]".
std::string Walk(std::string_view content) {
  const DatabaseContents read = ReadDatabaseLines(content);
  std::string summary =
      Summary(read.version.value_or(-7), read.characterSignatures, read.fileSignatures,
              read.processSignatures, read.deleteFilesOffset.value_or(4242));
  if (read.undecodableLines > 0) summary += " u" + std::to_string(read.undecodableLines);
  if (read.lastLineCut) summary += " cut";
  if (read.deleteListLines.empty()) return summary;
  summary += " l[";
  for (const std::string& line : read.deleteListLines) summary += line + ";";
  return summary + "]";
}

TEST(ReadDatabaseLines, WalksTheLinesAsTheHandsetDid) {
  const std::string head = DatabaseFile("20102", {"[VirusFile]", "\\a.exe", "xx[DELETE_FILES]"});
  const std::string deleteHead = DatabaseFile("1", {"[DELETE_FILES]"});
  const std::string x117 = StoredLine(std::string(117, 'x'));  // 156 characters
  // Blanks inside a stored line are skipped when decoding: both decode.
  const std::string x159 = x117.substr(0, 80) + "   " + x117.substr(80) + "\r\n";
  const std::string x160 = x117.substr(0, 80) + "    " + x117.substr(80) + "\r\n";
  const std::string kNothing = " c[] f[] p[] d4242";
  const std::string kFileA = "v1 c[] f[/\\a.exe;] p[] d4242";
  // clang-format off
  const std::tuple<const char*, std::string, std::string> cases[] = {
      {"no CR at all", "20102\n" + StoredLine("[VirusFile]") + "\n", "v-7" + kNothing + " cut"},
      {"version as atoi reads it", "  -42xyz\r\n", "v-42" + kNothing},
      {"version beyond 32 bits", "99999999999\r\n", "v2147483647" + kNothing},
      {"last line without line end is lost",
       DatabaseFile("1", {"[VirusFile]", "\\a.exe"}) + StoredLine("\\b.exe"), kFileA + " cut"},
      {"last line ending in a CR alone",
       DatabaseFile("1", {"[VirusFile]"}) + StoredLine("\\a.exe") + "\r", kFileA + " cut"},
      {"the byte after a CR is skipped whatever it is",
       "1\rZ" + StoredLine("[VirusFile]") + "\r?" + Line("\\a.exe"), kFileA},
      {"a stored line is read up to its first zero byte",
       DatabaseFile("1", {"[VirusFile]"}) + StoredLine("\\a.exe") + '\0' + "Zm9vYmFy\r\n", kFileA},
      {"records before the first marker are characters",
       DatabaseFile("1", {CharacterLine("First", "aaa"), "[VirusFile]", "\\a.exe"}),
       "v1 c[First/aaa;] f[/\\a.exe;] p[] d4242"},
      {"markers are tested in order and repeat",
       DatabaseFile("1", {"[VirusProcess]", "[VirusFile][VirusCharacter]", CharacterLine("C", "c"),
                          "[DELETE_FILES][VirusFile]", "\\f", "[DELETE_FILES][VirusProcess]", "p",
                          "[VirusProcess][VirusFile]", "\\g"}),
       "v1 c[C/c;] f[/\\f;/\\g;] p[/p;] d4242"},
      {"delete files ends the walk after its line",
       head + Line("[Demo]") + Line("[VirusFile]") + Line("\\c.exe"),
       "v20102 c[] f[/\\a.exe;] p[] d" + std::to_string(head.size()) +
       " l[[Demo];[VirusFile];\\c.exe;]"},
      {"an undecodable delete-list line is kept empty",
       deleteHead + Line("[Evil]") + "!!!!\r\n",
       "v1 c[] f[] p[] d" + std::to_string(deleteHead.size()) + " u1 l[[Evil];;]"},
      {"the name field",
       DatabaseFile("1", {"abc                 pat", "ABCDEFGHIJKLMNOPQRSTpat",
                          "ABCDEFGHIJKLMNOPQRS pat", "ab\tcd ef            pat",
                          "n                     two"}),
       "v1 c[abc/pat;/pat;ABCDEFGHIJKLMNOPQRS/pat;ab\tcd/pat;n/  two;] f[] p[] d4242"},
      {"a character line shorter than the name field is skipped",
       DatabaseFile("1", {CharacterLine("One", "1"), "ABCDEFGHIJKLMNOPQRS", "", "[VirusFile]", ""}),
       "v1 c[One/1;] f[/;] p[] d4242"},
      {"an encoded line over 159 characters is skipped",
       DatabaseFile("1", {"[VirusFile]"}) + x159 + x160 + std::string(100000, 'A') + "\r\n" +
       Line("\\z"), "v1 c[] f[/" + std::string(117, 'x') + ";/\\z;] p[] d4242 u2"},
      {"an undecodable line reads as an empty line",
       DatabaseFile("1", {}) + "!!!!\r\n" + Line("[VirusProcess]") + "!!!!\r\n" + Line("ok.exe"),
       "v1 c[] f[] p[/;/ok.exe;] d4242 u2"},
      {"a plain line ends at its first zero byte",
       DatabaseFile("1", {CharacterLine("Zero", std::string_view("ab\0cd", 5)),
                          std::string_view("Short\0padding-to-more-than-20", 29), "[VirusFile]",
                          std::string_view("\\a.exe\0[VirusProcess]", 21)}),
       "v1 c[Zero/ab;] f[/\\a.exe;] p[] d4242"}};
  // clang-format on
  for (const auto& [label, content, loaded] : cases) EXPECT_EQ(Walk(content), loaded) << label;
}

// The companions a scan removes with a file found by the signature Evil.
TEST(CompanionFiles, TheFirstGroupOfTheNameGivesThemUpToAnotherHeader) {
  const struct {
    std::vector<std::string> lists;
    std::vector<std::string> companions;
  } rows[] = {
      {{"[Other]", "\\o", "[Evil]", "\\a", "\\b", "[Later]", "\\l", "[Evil]", "\\n"},
       {"\\a", "\\b"}},
      {{"[Evil]", "\\a", "[Evil]", "\\b"}, {"\\a", "\\b"}},  // the same header goes on
      {{"[Evil]", "\\a", "\\odd[1].dat", "\\b"}, {"\\a"}},   // any bracket makes a header
      {{"[evil]", "\\a", "[Evil"}, {}},                      // names keep their case
  };
  for (const auto& row : rows) {
    std::string file = DatabaseFile("1", {"[DELETE_FILES]"});
    for (const std::string& plain : row.lists) file += Line(plain);
    const auto database = SignatureDatabase::Build(file, SignatureDatabase());
    EXPECT_EQ(database->CompanionFiles("Evil"), row.companions)
        << ::testing::PrintToString(row.lists);
  }
}

TEST(KeepUntilProcessEnds, TheSnapshotOutlivesItsLastOtherHolder) {
  auto snapshot = SignatureDatabase::OfCharacterSignatures({});
  const std::weak_ptr<const SignatureDatabase> watched = snapshot;
  KeepUntilProcessEnds(std::move(snapshot));
  EXPECT_FALSE(watched.expired());
}

// A large database compiles in parts, one a thread: each signature keeps
// its place, failed compiles too, as on one thread.
TEST(SignatureDatabaseThreaded, PartsCompiledOnSeveralThreadsLandInTheirPlaces) {
  constexpr int kSignatures = 1000;
  std::vector<std::string> lines = {"[VirusCharacter]"};
  const auto mark = [](int i) { return "mark" + std::to_string(i) + "x"; };
  for (int i = 0; i < kSignatures; ++i) {
    lines.push_back(
        CharacterLine("S" + std::to_string(i), mark(i) + (i % 7 == 0 ? "(" : "[0-9]?")));
  }
  const std::string file = DatabaseFile("1", lines);
  const auto one = SignatureDatabase::Build(file, SignatureDatabase(), 1);
  const auto four = SignatureDatabase::Build(file, SignatureDatabase(), 4);
  ASSERT_EQ(four->CompiledSignatures().size(), std::size_t{kSignatures});
  for (int i = 0; i < kSignatures; ++i) {
    const CompiledPattern& expected = one->CompiledSignatures()[i];
    const CompiledPattern& compiled = four->CompiledSignatures()[i];
    EXPECT_EQ(compiled.CompileStatus(), expected.CompileStatus()) << i;
    EXPECT_EQ(compiled.Search(".." + mark(i) + "..").status,
              expected.Search(".." + mark(i) + "..").status)
        << i;
  }
}

// Starts every test from a snapshot whose lists a load must replace and
// whose version and offset it must replace or keep; each load becomes the
// next one's previous snapshot, as reloads chain.
class LoaderTest : public ::testing::Test {
 protected:
  void ExpectLoad(int result, const std::string& loaded) {
    const LoadedDatabase next = LoadVirusDatabase(prefix_.Store(), *previous_);
    EXPECT_EQ(static_cast<int>(next.result), result);
    const SignatureDatabase& got = *next.snapshot;
    EXPECT_EQ(Summary(got.Version(), got.CharacterSignatures(), got.FileSignatures(),
                      got.ProcessSignatures(), got.DeleteFilesOffset()),
              loaded);
    EXPECT_EQ(next.snapshot->CompiledSignatures().size(),
              next.snapshot->CharacterSignatures().size());
    previous_ = next.snapshot;
  }

  static inline const std::string kStale =
      DatabaseFile("11", {CharacterLine("stale", "Stale"), "[VirusFile]", "\\stale.exe",
                          "[VirusProcess]", "stale.exe", "[DELETE_FILES]"});
  // The stale snapshot's delete-list offset, as a summary ends with it.
  const std::string d_ = " d" + std::to_string(kStale.size());
  TempPrefix prefix_;
  std::shared_ptr<const SignatureDatabase> previous_ =
      SignatureDatabase::Build(kStale, SignatureDatabase());
};

// Every failure of the file's open, size, read or close; a failed close
// alone keeps what was read.
TEST_F(LoaderTest, MissingOversizedLockedOrUnreadableFilesFailAndAnEmptyOneLoadsNothing) {
  ExpectLoad(-1, "v11 c[] f[] p[]" + d_);
  prefix_.WriteDatabase("");
  ExpectLoad(0, "v11 c[] f[] p[]" + d_);  // an empty file loads nothing
  std::string content = "9\r\n";
  content.resize(limits::kMaxDatabaseFileBytes, 'x');
  prefix_.WriteDatabase(content + "x");
  ExpectLoad(-1, "v11 c[] f[] p[]" + d_);
  prefix_.WriteDatabase(content);
  ExpectLoad(0, "v9 c[] f[] p[]" + d_);
  prefix_.WriteDatabase(DatabaseFile("20102", {CharacterLine("Sig", "abc")}));
  {
    const Result<File> holder =
        File::OpenForRead(prefix_.Store(), kVirusDatabasePath,
                          Sharing::kRead);  // shares reading, yet the loader wants the file alone
    ASSERT_EQ(holder.status, FileStatus::kOk);
    ExpectLoad(-1, "v9 c[] f[] p[]" + d_);
  }
  for (const auto& [point, loaded] : {std::pair{FaultPoint::kRead, "v9 c[] f[] p[]"},
                                      {FaultPoint::kClose, "v20102 c[Sig/abc;] f[] p[]"}}) {
    const ScopedFault fault(point);
    ExpectLoad(-1, loaded + d_);
  }
}

TEST_F(LoaderTest, LoadsEveryListAndKeepsTheOffsetOnReload) {
  const std::string marked = DatabaseFile(
      "20102", {CharacterLine("Skulls", "\\x53kull"), "[VirusFile]", "\\Windows\\evil.exe",
                "[VirusProcess]", "evil.exe", "[DELETE_FILES]"});
  prefix_.WriteDatabase(marked + Line("[Skulls]") + Line("[VirusFile]"));
  const std::string offset = " d" + std::to_string(marked.size());
  ExpectLoad(0, "v20102 c[Skulls/\\x53kull;] f[/\\Windows\\evil.exe;] p[/evil.exe;]" + offset);
  prefix_.WriteDatabase(DatabaseFile("2", {"[VirusFile]", "\\two.exe"}));
  ExpectLoad(0, "v2 c[] f[/\\two.exe;] p[]" + offset);
  std::filesystem::remove(prefix_.DatabasePath());
  ExpectLoad(-1, "v2 c[] f[] p[]" + offset);
}

}  // namespace
}  // namespace kv::testing
