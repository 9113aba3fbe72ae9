// tarnsig's command line: a usage or input error of each kind as one line
// on stderr, nothing on stdout, and exit status 2.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/program_runner.h"

namespace kv::testing {
namespace {

TEST(TarnsigUsage, ReportsEveryErrorAsOneLineWithStatus2) {
  const TempDir dir;
  const std::string d = dir.Path().string();
  WriteFile(d + "/p", "1\n");
  const std::string encodeUsage = " (usage: tarnsig encode [--force] PLAIN -o VirusDB.dat)";
  // clang-format off
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "missing verb (see 'tarnsig --help')"},
      {{"ENCODE", "a", "-o", "b"}, "unknown verb 'ENCODE' (see 'tarnsig --help')"},
      {{"encode"}, "encode: missing PLAIN" + encodeUsage},
      {{"encode", d + "/none", "-o", "x"}, "encode: cannot open '" + d + "/none': No such file or directory"},
      {{"encode", "p.txt"}, "encode: missing -o VirusDB.dat" + encodeUsage},
      {{"encode", "p.txt", "-o", "a", "-o", "b"}, "encode: -o given twice" + encodeUsage},
      {{"encode", "-v", "p.txt", "-o", "a"}, "encode: unknown option '-v'" + encodeUsage},
      {{"encode", d, "-o", d + "/db"}, "encode: '" + d + "' is a directory"},
      {{"encode", d + "/p", "-o", d + "/no/db"}, "encode: cannot write '" + d + "/no/db'"},
      {{"decode", d + "/p"}, "decode: '" + d + "/p' holds no line ending in CR LF"},
      {{"list", d}, "list: '" + d + "' is a directory"},
      {{"list", "/dev/zero"}, "list: '/dev/zero' is not a regular file"},
      {{"match", "a"}, "match: expected 2 arguments (usage: tarnsig match [--reference] PATTERN FILE)"},
      {{"match", "(?R)", d + "/p"}, "match: pattern search exceeded its nesting depth"},
      {{"check", "db"},
       "check: needs a database and at least one file (usage: tarnsig check [--reference] [--threads N] VirusDB.dat FILE...)"},
      {{"check", d + "/none", d + "/p"}, "check: cannot open '" + d + "/none': No such file or directory"},
      {{"check", "--threads", "0", d + "/none", d + "/p"},
       "check: --threads takes a number from 1 to 256 (usage: tarnsig check [--reference] [--threads N] VirusDB.dat FILE...)"},
      {{"update", "--rollback", "--force"},
       "update: --force and --rollback exclude each other (usage: tarnsig update [--force | --rollback])"},
      {{"lint", d + "/none"}, "lint: cannot open '" + d + "/none': No such file or directory"}};
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
