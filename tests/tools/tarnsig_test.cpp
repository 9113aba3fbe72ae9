// tarnsig end to end on the real binary: encode's random round trips
// checked against the test encoder and its refusals naming the line; the
// pinned list output; undecodable lines; check's answers and exit statuses
// in argument order on any number of threads; match and match-batch over
// zero and high bytes and malformed batch lines, through both engines;
// lint, one row per authoring mistake, each checked on the plain file and
// on the same lines encoded, the encoded file's own faults, and encode
// refusing what lint calls an error; a usage or input error of each kind as
// one line on stderr, nothing on stdout, and exit status 2 (every verb
// opens its files alike, so each kind of file that cannot be read stands
// once). Then update against a real server, signed and not.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "support/database_writer.h"
#include "support/hex.h"
#include "support/program_runner.h"
#include "support/update_bench.h"

namespace kv::testing {
namespace {

class TarnsigTest : public ::testing::Test {
 protected:
  std::string File(std::string_view name) const { return dir_.File(name); }
  // Encodes what lint would refuse too: these tests hold the loader's reading.
  RunResult EncodeForced(std::string_view plain) const {
    WriteFile(File("plain.txt"), plain);
    return RunTarnsig({"encode", "--force", File("plain.txt"), "-o", File("db")});
  }

  TempDir dir_;
};

TEST_F(TarnsigTest, EncodeWritesTheTestEncodersLinesAndDecodeReadsThemBackOrMarksThem) {
  // A version line taken as it is, then lines ending in LF or CR LF, of every
  // length up to the longest that fits (117 bytes, stored in 156 characters)
  // and of every byte but NUL, CR and LF.
  std::mt19937 random(1321);
  std::string plain = " v2 x \r\n";
  std::string stored = plain;
  std::string decoded = " v2 x \n";
  for (std::size_t i = 0; i < 300; ++i) {
    std::string line(i < 118 ? i : random() % 118, ' ');
    for (char& c : line) {
      c = static_cast<char>(1 + random() % 255);
      if (c == '\r' || c == '\n') c = '~';
    }
    plain += line + (i % 2 ? "\r\n" : "\n");
    stored += StoredLine(line) + "\r\n";
    decoded += line + "\n";
  }
  WriteFile(File("db"), std::string(1000, 'o'));
  EXPECT_EQ(EncodeForced(plain), (RunResult{0, "", ""}));
  EXPECT_EQ(ReadFile(File("db")), stored);
  EXPECT_EQ(RunTarnsig({"decode", File("db")}), (RunResult{0, decoded, ""}));

  // A line that cannot be decoded is marked; a plain line ends at a zero byte.
  WriteFile(File("db"), DatabaseFile("1", {"first", std::string_view("keep\0drop", 9)}) +
                            "!!!!\r\n" + StoredLine("abc") + "    \r\n" + StoredLine("lost"));
  EXPECT_EQ(RunTarnsig({"decode", File("db")}),
            (RunResult{0, "1\nfirst\nkeep\n<<undecodable line 4>>\n<<undecodable line 5>>\n", ""}));
}

// What the loader makes of each kind of line is in tests/database.
TEST_F(TarnsigTest, ListShowsWhatTheLoaderLoads) {
  const std::string head =
      DatabaseFile("20102", {"[VirusCharacter]", "Alpha               abc[0-9]+", "[VirusFile]",
                             "\\Windows\\a b.exe", "[VirusProcess]", "evil.exe",
                             "tab\there caf\xe9.exe", "[DELETE_FILES]"});
  WriteFile(File("db"), head + StoredLine("[Alpha]") + "\r\n");
  // clang-format off
  EXPECT_EQ(RunTarnsig({"list", File("db")}), (RunResult{0,
            "version 20102\nsection character 1\ncharacter 1 name=Alpha pattern=abc[0-9]+\n"
            "section file 1\nfile 1 path=\\Windows\\a b.exe\n"
            "section process 2\nprocess 1 exe=evil.exe\nprocess 2 exe=tab\\x09here caf\\xE9.exe\n"
            "delete-files-offset " + std::to_string(head.size()) + "\n", ""}));
  // clang-format on
  WriteFile(File("db"), DatabaseFile("-3", {}));
  EXPECT_EQ(RunTarnsig({"list", File("db")}).out,
            "version -3\nsection character 0\nsection file 0\nsection process 0\n"
            "delete-files-offset none\n");
}

// Each file's first signature, the failures on stderr; the pool finishes
// files out of order (large and small, failures among them), yet the
// answers come in argument order, the same on 1 and 4 threads and through
// the reference engine. A finding outranks the files not checked (1), and
// those outrank clean files (2, else 0).
TEST_F(TarnsigTest, CheckAnswersInArgumentOrderOnAnyThreadsAndBothEngines) {
  const char* plain =
      "7\nFirst               alpha\nSecond              beta[0-9]+\n"
      "Looping             (?R)\n";
  ASSERT_EQ(EncodeForced(plain).status, 0);
  std::vector<std::string> files;
  std::string out;
  std::string err;
  for (int i = 0; i < 40; ++i) {
    files.push_back(File("f" + std::to_string(i)));
    const std::string& file = files.back();
    const std::string padding(i % 3 == 0 ? 1 << 20 : 10, '-');
    if (i % 4 == 0) {
      WriteFile(file, padding + "alpha");
      out += file + ": signature 1 First\n";
    } else if (i % 4 == 1) {
      WriteFile(file, "beta" + std::to_string(i) + padding);
      out += file + ": signature 2 Second\n";
    } else if (i % 4 == 2) {
      WriteFile(file, padding);
      err += "tarnsig: check: '" + file + "': pattern search exceeded its nesting depth\n";
    } else {
      err += "tarnsig: check: cannot open '" + file + "'\n";  // no such file
    }
  }
  WriteFile(File("empty"), "");
  files.push_back(File("empty"));
  out += File("empty") + ": clean\n";
  const std::pair<bool, const char*> ways[] = {{false, "1"}, {false, "4"}, {true, "4"}};
  for (const auto& [reference, threads] : ways) {
    SCOPED_TRACE(std::string(reference ? "reference " : "fast ") + threads);
    std::vector<std::string> args = Way(reference, {"check", "--threads", threads, File("db")});
    args.insert(args.end(), files.begin(), files.end());
    EXPECT_EQ(RunTarnsig(args), (RunResult{1, out, err}));
  }
  EXPECT_EQ(RunTarnsig({"check", File("db"), files[2]}).status, 2);
  EXPECT_EQ(RunTarnsig({"check", File("db"), File("empty")}).status, 0);
}

// match answers for a pattern in a file; match-batch for every line of hex
// pattern and subject, with E for a line it cannot read or search; the last
// line may lack its line feed. Both through both engines.
TEST_F(TarnsigTest, MatchAnswersWhetherThePatternOccursThroughBothEngines) {
  using namespace std::string_literals;
  WriteFile(File("sample"), std::string("xx\0MZ\xff\x80 tail", 12));
  WriteFile(File("empty"), "");
  // clang-format off
  const std::array<std::string, 3> cases[] = {
      {"\\x00MZ\\xff", "sample", "1"}, {"[\\x80-\\xff]{2}", "sample", "1"},
      {"^tail", "sample", "0"}, {"tail$", "sample", "1"},
      {"", "empty", "1"}, {"a", "empty", "0"}};
  const std::pair<std::string, char> rows[] = {
      {Hex("abc") + "\t" + Hex("xabcx"), '1'}, {Hex("abd") + "\t" + Hex("xabcx"), '0'},
      {"\t", '1'}, {Hex("a") + "\t", '0'}, {"61\t61\r", '1'},
      {Hex("a\0b"s) + "\t" + Hex("xa\0b"s), '1'}, {Hex("a\0b"s) + "\t" + Hex("ab"), '0'},
      {Hex("^\\xff$") + "\t" + Hex("\xff"), '1'}, {Hex("(?R)") + "\t" + Hex("a"), 'E'},
      {"", 'E'}, {"616", 'E'}, {"6g\t61", 'E'}, {"61\t6", 'E'},
      {"61\t61\t61", 'E'}};
  // clang-format on
  std::string input;
  std::string expected;
  for (const auto& [line, answer] : rows) {
    input += line + "\n";
    expected += {answer, '\n'};
  }
  for (const bool reference : {false, true}) {
    SCOPED_TRACE(reference ? "reference" : "fast");
    for (const auto& [pattern, file, answer] : cases) {
      EXPECT_EQ(RunTarnsig(Way(reference, {"match", pattern, File(file)})),
                (RunResult{0, answer + "\n", ""}))
          << pattern;
    }
    EXPECT_EQ(RunTarnsig(Way(reference, {"match-batch"}), input + Hex("b") + "\t" + Hex("abc")),
              (RunResult{0, expected + "1\n", ""}));
  }
  EXPECT_EQ(RunTarnsig({"match-batch"}).out, "");
}

TEST_F(TarnsigTest, ReportsEveryUsageErrorAsOneLineWithStatus2) {
  const std::string d = dir_.Path().string();
  WriteFile(d + "/p", "1\n");
  // What encode cannot store, even forced: each refusal names the line.
  WriteFile(d + "/empty", "");
  WriteFile(d + "/nul", std::string("1\nok\nbad\0line\n", 14));
  WriteFile(d + "/cr", "1\r\nok\r\nok\r\nlone\rCR\r\n");
  WriteFile(d + "/cr-at-end", "1\nabc\r");
  WriteFile(d + "/huge", "");
  std::filesystem::resize_file(d + "/huge", (std::uint64_t{4} << 20) + 1);  // sparse
  const std::string encodeUsage = " (usage: tarnsig encode [--force] PLAIN -o VirusDB.dat)";
  // clang-format off
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "missing verb (see 'tarnsig --help')"},
      {{"ENCODE", "a", "-o", "b"}, "unknown verb 'ENCODE' (see 'tarnsig --help')"},
      {{"encode"}, "encode: missing PLAIN" + encodeUsage},
      {{"encode", "--force", d + "/empty", "-o", d + "/db"}, "encode: " + d + "/empty: no version line"},
      {{"encode", "--force", d + "/nul", "-o", d + "/db"}, "encode: " + d + "/nul:3: line holds a NUL byte"},
      {{"encode", "--force", d + "/cr", "-o", d + "/db"}, "encode: " + d + "/cr:4: line holds a CR that does not end it"},
      {{"encode", "--force", d + "/cr-at-end", "-o", d + "/db"}, "encode: " + d + "/cr-at-end:2: line holds a CR that does not end it"},
      {{"encode", d + "/none", "-o", "x"}, "encode: cannot open '" + d + "/none': No such file or directory"},
      {{"encode", d, "-o", d + "/db"}, "encode: '" + d + "' is a directory"},
      {{"encode", d + "/p", "-o", d + "/no/db"}, "encode: cannot write '" + d + "/no/db'"},
      {{"decode", d + "/p"}, "decode: '" + d + "/p' holds no line ending in CR LF"},
      {{"list", "/dev/zero"}, "list: '/dev/zero' is not a regular file"},
      {{"match", "(?R)", d + "/p"}, "match: pattern search exceeded its nesting depth"},
      {{"check", "--threads", "0", d + "/none", d + "/p"},
       "check: --threads takes a number from 1 to 256 (usage: tarnsig check [--reference] [--threads N] VirusDB.dat FILE...)"},
      {{"update", "--rollback", "--force"},
       "update: --force and --rollback exclude each other (usage: tarnsig update [--force | --rollback])"},
      {{"list", d + "/huge"}, "list: '" + d + "/huge' is larger than any database file can be (4 MiB)"}};
  // clang-format on
  for (const auto& [args, message] : cases) {
    EXPECT_EQ(RunTarnsig(args), (RunResult{2, "", "tarnsig: " + message + "\n"}));
  }
  EXPECT_FALSE(std::filesystem::exists(d + "/db"));
}

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

TEST_F(TarnsigTest, LintFindsEachMistakeInThePlainAndTheEncodedFileAlike) {
  for (const LintRow& row : kRows) {
    SCOPED_TRACE(row.mistake);
    WriteFile(File("plain.txt"), Plain(row.lines));
    WriteFile(File("db"), DatabaseFile("7", row.lines));
    for (const std::string& path : {File("plain.txt"), File("db")}) {
      EXPECT_EQ(RunTarnsig({"lint", path}),
                (RunResult{row.status, Expand(row.findings, path), ""}));
    }
  }
}

TEST_F(TarnsigTest, LintReportsWhatTheLoaderCannotReadAndABadVersion) {
  const std::string path = File("db");
  WriteFile(path, "v7\r\n" + StoredLine(kGood) + "\r\n!!!!\r\n" + std::string(160, 'A') + "\r\n" +
                      StoredLine("[VirusFile]"));
  const std::string findings = R"(@:1: error: the version is not a decimal number
@:3: error: the line cannot be decoded
@:4: error: longer than 159 characters: the loader skips it
@:5: error: bytes after the last CR LF: the file is cut
)";
  EXPECT_EQ(RunTarnsig({"lint", path}), (RunResult{2, Expand(findings, path), ""}));
  WriteFile(File("plain.txt"), "7\n" + std::string(118, 'x') + "\n");
  EXPECT_EQ(RunTarnsig({"lint", File("plain.txt")}).out,
            File("plain.txt") + ":2: error: encoded line would be 160 characters, more than 159\n");
}

// (--force encodes them all the same: the loader tests above.)
TEST_F(TarnsigTest, EncodeRefusesLintErrorsAndIgnoresWarnings) {
  const std::string plain = File("plain.txt");
  WriteFile(plain, Plain({CharacterLine("Evil", "(x"), "[VirusFiel]"}));
  const std::string refusal = R"(tarnsig: encode: @:2:21: error: '(' is never closed
tarnsig: encode: @:3:1: error: unknown section header '[VirusFiel]': the lines after it stay in the section before it
tarnsig: encode: @: not encoded: 2 errors (--force encodes it anyway)
)";
  EXPECT_EQ(RunTarnsig({"encode", plain, "-o", File("db")}),
            (RunResult{2, "", Expand(refusal, plain)}));
  EXPECT_FALSE(std::filesystem::exists(File("db")));

  WriteFile(plain, Plain({"[VirusFile]", "\\Windows\\evil.exe"}));  // a warning only
  EXPECT_EQ(RunTarnsig({"encode", plain, "-o", File("db")}), (RunResult{0, "", ""}));
}

// tarnsig update end to end: the real binary against a real server on
// 127.0.0.1, in a temporary prefix. Each run pins the exit status, the
// console box on stderr with the cause line of a failure, and the database
// file afterwards; a failure leaves the old file as it was. Then the signed
// update: keygen, sign and verify; an update signed with the prefix's trust
// key installed, a forged one refused with its cause; rollback and force.
// (The finer failure rows, a database already the latest, and the proxy
// the environment names, are in tests/update.)
const std::string kSucceeded = "Information\nUpdate virus DB successfully\n[O]K\n";

class TarnsigUpdateThreaded : public ::testing::Test {
 protected:
  void SetUp() override {
    environment_.WithoutProxies().Set("KESTRELVOX_UPDATE_KEY", std::nullopt);
    environment_.Set("KESTRELVOX_UPDATE_URL", server_.Url());
    prefix_.WriteDatabase(kOldDatabase);
    server_.Answer(kVersionPath, {200, "200\r\n"});
    server_.Answer(kDatabasePath, {200, kNewDatabase});
  }
  std::string Key(const std::string& name) const {
    return (prefix_.Path() / "keys" / name).string();
  }

  ScopedEnvironment environment_;
  ToolPrefix prefix_;
  TestHttpServer server_;
};

TEST_F(TarnsigUpdateThreaded, ExitsByTheOutcomeAndKeepsTheDatabaseOnFailure) {
  server_.Answer(kVersionPath, {404, "200"});
  EXPECT_EQ(RunTarnsig({"update"}),
            (RunResult{1, "",
                       "Warning\nUnable to connect to the website and download data!\n"
                       "Please check the network connection and try again.\n[O]K\n"
                       "tarnsig: update: HTTP status 404 from " +
                           server_.Url() + kVersionPath + "\n"}));
  EXPECT_EQ(ReadFile(prefix_.DatabasePath()), kOldDatabase);
  server_.Answer(kVersionPath, {200, "200\r\n"});
  EXPECT_EQ(RunTarnsig({"update"}), (RunResult{0, "", kSucceeded}));
  EXPECT_EQ(ReadFile(prefix_.DatabasePath()), kNewDatabase);
}

// The prefix gets a trust key, the server the new database's signature
// under it: a database the key did not sign is refused; the one it signed
// is installed, rolled back and forced.
TEST_F(TarnsigUpdateThreaded, KeygenSignVerifyAndASignedUpdate) {
  std::filesystem::create_directories(prefix_.Path() / "keys");
  ASSERT_EQ(RunTarnsig({"keygen", Key("update.key"), Key("update.pub")}).status, 0);
  EXPECT_EQ(std::filesystem::status(Key("update.key")).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  WriteFile(Key("new.dat"), kNewDatabase);
  const RunResult signature = RunTarnsig({"sign", Key("update.key"), Key("new.dat")});
  ASSERT_EQ(signature.status, 0);
  WriteFile(Key("sig"), signature.out);
  WriteFile(Key("forged.dat"), kOldDatabase);
  WriteFile(Key("bad-key"), "not a key\n");
  EXPECT_EQ(RunTarnsig({"verify", Key("update.pub"), Key("new.dat"), Key("sig")}),
            (RunResult{0, "valid\n", ""}));
  EXPECT_EQ(RunTarnsig({"verify", Key("update.pub"), Key("forged.dat"), Key("sig")}),
            (RunResult{1, "invalid\n", ""}));
  EXPECT_EQ(
      RunTarnsig({"verify", Key("bad-key"), Key("new.dat"), Key("sig")}),
      (RunResult{2, "", "tarnsig: verify: '" + Key("bad-key") + "' holds no public key line\n"}));
  EXPECT_EQ(RunTarnsig({"keygen", Key("update.key"), Key("other.pub")}),
            (RunResult{2, "",
                       "tarnsig: keygen: '" + Key("update.key") +
                           "' exists already; keys are never replaced\n"}));
  EXPECT_FALSE(std::filesystem::exists(Key("other.pub")));

  server_.Answer(kSignaturePath, {200, signature.out});
  server_.Answer(kDatabasePath, {200, UpdateDatabase("200", "\\forged.exe")});
  EXPECT_EQ(
      RunTarnsig({"update"}),
      (RunResult{
          1, "",
          "Warning\nUpdate virus DB failed,please try again!\n[O]K\n"
          "tarnsig: update: signature invalid: the database is not signed by the trust key\n"}));
  EXPECT_EQ(ReadFile(prefix_.DatabasePath()), kOldDatabase);

  server_.Answer(kDatabasePath, {200, kNewDatabase});
  ASSERT_EQ(RunTarnsig({"update"}).status, 0);
  EXPECT_EQ(RunTarnsig({"update", "--rollback"}),
            (RunResult{0, "rolled back to version 100\n", ""}));
  EXPECT_EQ(ReadFile(prefix_.DatabasePath()), kOldDatabase);

  ASSERT_EQ(RunTarnsig({"update"}).status, 0);
  // The same version again.
  EXPECT_EQ(RunTarnsig({"update", "--force"}), (RunResult{0, "", kSucceeded}));
  EXPECT_EQ(ReadFile(prefix_.DatabasePath()), kNewDatabase);
}

}  // namespace
}  // namespace kv::testing
