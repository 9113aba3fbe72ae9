// tarnsig's command line: help and version, and every usage or input error
// as one line on stderr, nothing on stdout, and exit status 2.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/program_runner.h"

namespace kv::testing {
namespace {

TEST(TarnsigUsage, HelpListsEveryVerbAndVersionIsOneLine) {
  const RunResult help = RunTarnsig({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with("Usage: tarnsig VERB [ARGUMENTS]\n")) << help.out;
  for (const char* synopsis :
       {"  encode [--force] PLAIN -o VirusDB.dat ", "  decode VirusDB.dat ", "  list VirusDB.dat ",
        "  lint FILE ", "  match [--reference] PATTERN FILE ", "  match-batch [--reference] ",
        "  check [--reference] [--threads N] VirusDB.dat FILE... ", "--version"}) {
    EXPECT_NE(help.out.find(synopsis), std::string::npos) << synopsis;
  }
  EXPECT_EQ(RunTarnsig({"-h"}).out, help.out);
  const RunResult version = RunTarnsig({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(version.out.starts_with("tarnsig (Kestrelvox) ")) << version.out;
  EXPECT_EQ(version.out.find('\n'), version.out.size() - 1);
}

TEST(TarnsigUsage, ReportsEveryErrorAsOneLineWithStatus2) {
  const TempDir dir;
  const std::string d = dir.Path().string();
  WriteFile(d + "/p", "1\n");
  WriteFile(d + "/huge", "");
  std::filesystem::resize_file(d + "/huge", (std::uint64_t{4} << 20) + 1);  // sparse
  const std::string encodeUsage = " (usage: tarnsig encode [--force] PLAIN -o VirusDB.dat)";
  // clang-format off
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "missing verb (see 'tarnsig --help')"},
      {{"ENCODE", "a", "-o", "b"}, "unknown verb 'ENCODE' (see 'tarnsig --help')"},
      {{"encode"}, "encode: missing PLAIN" + encodeUsage},
      {{"encode", d + "/none", "-o", "x"}, "encode: cannot open '" + d + "/none': No such file or directory"},
      {{"encode", "p.txt"}, "encode: missing -o VirusDB.dat" + encodeUsage},
      {{"encode", "p.txt", "-o"}, "encode: -o needs a file name" + encodeUsage},
      {{"encode", "p.txt", "-o", "a", "-o", "b"}, "encode: -o given twice" + encodeUsage},
      {{"encode", "p", "q", "-o", "a"}, "encode: unexpected argument 'q'" + encodeUsage},
      {{"encode", "-v", "p.txt", "-o", "a"}, "encode: unknown option '-v'" + encodeUsage},
      {{"encode", d, "-o", d + "/db"}, "encode: '" + d + "' is a directory"},
      {{"encode", d + "/p", "-o", d + "/no/db"}, "encode: cannot write '" + d + "/no/db'"},
      {{"decode"}, "decode: missing argument (usage: tarnsig decode VirusDB.dat)"},
      {{"decode", d + "/p"}, "decode: '" + d + "/p' holds no line ending in CR LF"},
      {{"list", "a", "b", "c"},
       "list: unexpected argument 'b' (usage: tarnsig list VirusDB.dat)"},
      {{"list", d}, "list: '" + d + "' is a directory"},
      {{"match", "a"}, "match: expected 2 arguments (usage: tarnsig match [--reference] PATTERN FILE)"},
      {{"match", "(?R)", d + "/p"}, "match: pattern search exceeded its nesting depth"},
      {{"match-batch", "x"},
       "match-batch: unexpected argument 'x' (usage: tarnsig match-batch [--reference] < LINES)"},
      {{"check", "db"},
       "check: needs a database and at least one file (usage: tarnsig check [--reference] [--threads N] VirusDB.dat FILE...)"},
      {{"check", d + "/none", d + "/p"}, "check: cannot open '" + d + "/none': No such file or directory"},
      {{"check", "--threads", "0", d + "/none", d + "/p"},
       "check: --threads takes a number from 1 to 256 (usage: tarnsig check [--reference] [--threads N] VirusDB.dat FILE...)"},
      {{"lint"}, "lint: missing argument (usage: tarnsig lint FILE)"},
      {{"lint", d + "/none"}, "lint: cannot open '" + d + "/none': No such file or directory"},
      {{"list", d + "/huge"}, "list: '" + d + "/huge' is larger than any database file can be (4 MiB)"}};
  // clang-format on
  for (const auto& [args, message] : cases) {
    const RunResult result = RunTarnsig(args);
    EXPECT_EQ(result.status, 2) << message;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "tarnsig: " + message + "\n");
  }
}

}  // namespace
}  // namespace kv::testing
