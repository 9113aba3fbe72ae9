// tarnsig's command line: help, version, and every usage error as one line
// on stderr with exit status 2.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tarnsig_runner.h"

namespace kv {
namespace {

using testing::RunResult;
using testing::RunTarnsig;

TEST(TarnsigUsage, HelpListsEveryVerbWithItsArguments) {
  for (const std::string_view option : {"-h", "--help"}) {
    const RunResult result = RunTarnsig({option});
    EXPECT_EQ(result.status, 0) << option;
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(result.out.starts_with("Usage: tarnsig VERB [ARGUMENTS]\n")) << result.out;
    for (const std::string_view synopsis :
         {"  encode PLAIN -o VirusDB.dat ", "  decode VirusDB.dat ", "  list VirusDB.dat ",
          "  match PATTERN FILE ", "  match-batch ", "  check VirusDB.dat FILE... ", "--version"}) {
      EXPECT_NE(result.out.find(synopsis), std::string::npos) << synopsis;
    }
  }
}

TEST(TarnsigUsage, VersionIsOneLine) {
  const RunResult result = RunTarnsig({"--version"});
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(result.out.starts_with("tarnsig (Kestrelvox) ")) << result.out;
  EXPECT_EQ(result.out.find('\n'), result.out.size() - 1);
}

TEST(TarnsigUsage, ReportsEveryUsageErrorAsOneLineWithStatus2) {
  struct Case {
    std::vector<std::string_view> args;
    std::string_view message;
  };
  const Case cases[] = {
      {{}, "missing verb (see 'tarnsig --help')"},
      {{"frobnicate"}, "unknown verb 'frobnicate' (see 'tarnsig --help')"},
      {{"-x"}, "unknown verb '-x' (see 'tarnsig --help')"},
      {{"ENCODE", "a", "-o", "b"}, "unknown verb 'ENCODE' (see 'tarnsig --help')"},
      {{"encode"}, "encode: missing PLAIN (usage: tarnsig encode PLAIN -o VirusDB.dat)"},
      {{"encode", "p.txt"},
       "encode: missing -o VirusDB.dat (usage: tarnsig encode PLAIN -o VirusDB.dat)"},
      {{"encode", "-o", "db"},
       "encode: missing PLAIN (usage: tarnsig encode PLAIN -o VirusDB.dat)"},
      {{"encode", "p.txt", "-o"},
       "encode: -o needs a file name (usage: tarnsig encode PLAIN -o VirusDB.dat)"},
      {{"encode", "p.txt", "-o", "a", "-o", "b"},
       "encode: -o given twice (usage: tarnsig encode PLAIN -o VirusDB.dat)"},
      {{"encode", "p.txt", "q.txt", "-o", "a"},
       "encode: unexpected argument 'q.txt' (usage: tarnsig encode PLAIN -o VirusDB.dat)"},
      {{"encode", "-v", "p.txt", "-o", "a"},
       "encode: unknown option '-v' (usage: tarnsig encode PLAIN -o VirusDB.dat)"},
      {{"decode"}, "decode: missing argument (usage: tarnsig decode VirusDB.dat)"},
      {{"decode", "a", "b"}, "decode: unexpected argument 'b' (usage: tarnsig decode VirusDB.dat)"},
      {{"list"}, "list: missing argument (usage: tarnsig list VirusDB.dat)"},
      {{"list", "a", "b", "c"}, "list: unexpected argument 'b' (usage: tarnsig list VirusDB.dat)"},
  };
  for (const Case& c : cases) {
    const RunResult result = RunTarnsig(std::vector<std::string>(c.args.begin(), c.args.end()));
    EXPECT_EQ(result.status, 2) << c.message;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "tarnsig: " + std::string(c.message) + "\n");
  }
}

}  // namespace
}  // namespace kv
