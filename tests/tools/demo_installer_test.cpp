// The demo handset's installer, as the build lays it out: it is executable,
// says which package it installs, and with KESTRELVOX_WCELOAD_LOG set
// appends each argument it got to that file, run after run; without the
// variable it only reports.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tarnsig_runner.h"

namespace kv::testing {
namespace {

const std::string kInstaller = std::string(KV_DEMO_PREFIX) + "/store/Windows/wceload.exe";

TEST(DemoInstaller, ReportsThePackageAndLogsEveryArgument) {
  const TempDir dir;
  const std::string log = dir.File("wceload.log");
  const auto run = [&](const std::string& arguments) {
    const std::string command = "KESTRELVOX_WCELOAD_LOG=" + ShellQuote(log) + " " +
                                ShellQuote(kInstaller) + " " + arguments + " >" +
                                ShellQuote(dir.File("out"));
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return ReadFile(dir.File("out"));
  };

  EXPECT_EQ(run("'\\My Documents\\a b.cab' /nodelete"),
            "wceload: installing \\My Documents\\a b.cab\n");
  EXPECT_EQ(run("'-x %s' ''"), "wceload: installing -x %s\n");
  EXPECT_EQ(ReadFile(log), "\\My Documents\\a b.cab\n/nodelete\n-x %s\n\n");
}

TEST(DemoInstaller, RunsWithoutItsVariable) {
  const TempDir dir;
  const std::string command = "env -u KESTRELVOX_WCELOAD_LOG " + ShellQuote(kInstaller) +
                              " game.cab >" + ShellQuote(dir.File("out"));
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadFile(dir.File("out")), "wceload: installing game.cab\n");
}

}  // namespace
}  // namespace kv::testing
