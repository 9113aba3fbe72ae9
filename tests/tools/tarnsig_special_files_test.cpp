// tarnsig named a device or a pipe: it refuses each at once with one error
// line and status 2, instead of reading without end or waiting for a writer,
// and check goes on with the files after it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "support/database_writer.h"
#include "support/program_runner.h"

namespace kv::testing {
namespace {

TEST(TarnsigSpecialFiles, ListRefusesADevice) {
  const RunResult result = RunTarnsig({"list", "/dev/zero"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "tarnsig: list: '/dev/zero' is not a regular file\n");
}

TEST(TarnsigSpecialFiles, CheckRefusesAPipeAndChecksTheNextFile) {
  const TempDir dir;
  WriteFile(dir.File("db"), DatabaseFile("1", {CharacterLine("First", "alpha")}));
  WriteFile(dir.File("a"), "alpha");
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
  const RunResult result = RunTarnsig({"check", dir.File("db"), dir.File("fifo"), dir.File("a")});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, dir.File("a") + ": signature 1 First\n");
  EXPECT_EQ(result.err, "tarnsig: check: '" + dir.File("fifo") + "' is not a regular file\n");
}

}  // namespace
}  // namespace kv::testing
