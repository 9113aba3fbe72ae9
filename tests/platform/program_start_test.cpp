// Starting store programs for real: a recording script in a temporary store
// writes the arguments it got, so each row of the quoting table is checked
// against what a started program actually receives. Programs that cannot
// be started give false, and a start leaves no child behind.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/program_start.h"
#include "platform/text.h"
#include "support/temp_files.h"

namespace kv {
namespace {

namespace fs = std::filesystem;
using Arguments = std::vector<std::string>;

// Waits for `path` to appear (the started program is not ours to wait
// for). Bounded only so that a program that never writes fails the test.
bool WaitForFile(const fs::path& path) {
  for (int i = 0; i < 6000 && !fs::exists(path); ++i) SleepMilliseconds(10);
  return fs::exists(path);
}

Arguments SplitAtZeros(const std::string& bytes) {
  Arguments arguments;
  std::istringstream in(bytes);
  for (std::string argument; std::getline(in, argument, '\0');) arguments.push_back(argument);
  return arguments;
}

// Shell redirection that writes `path` whole or not at all, so that a
// waiting test never reads half of it.
std::string WriteWholeTo(const std::string& path) {
  return ">'" + path + ".part' && mv '" + path + ".part' '" + path + "'";
}

class ProgramStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string script =
        "#!/bin/sh\nfor argument in \"$@\"; do printf '%s\\0' \"$argument\"; done " +
        WriteWholeTo(prefix_.File("args")) + "\n";
    const fs::path recorder = prefix_.WriteStoreFile("Windows/record.exe", script);
    fs::permissions(recorder, fs::perms::owner_exec, fs::perm_options::add);
  }

  // A start leaves no child behind, running or as a zombie.
  void TearDown() override { EXPECT_TRUE(::waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD); }

  // The arguments the recording script got when started with `commandLine`.
  Arguments Recorded(std::u16string_view commandLine) {
    const fs::path record = prefix_.File("args");
    fs::remove(record);
    if (!StartStoreProgram(prefix_.Store(), u"\\Windows\\record.exe", commandLine)) {
      return {"<not started>"};
    }
    if (!WaitForFile(record)) return {"<nothing recorded>"};
    return SplitAtZeros(testing::ReadFile(record));
  }

  testing::TempPrefix prefix_;
};

TEST_F(ProgramStartTest, ProgramGetsTheArgumentsOfTheWindowsRules) {
  // clang-format off
  const std::pair<std::u16string, Arguments> rows[] = {
      {u"\"\\My Documents\\a b.cab\" /nodelete", {"\\My Documents\\a b.cab", "/nodelete"}},
      {u"", {}},
      {u" \t ", {}},
      {u"  a   b\tc  ", {"a", "b", "c"}},
      {u"a\"b c\"d", {"ab cd"}},
      {u"\"\" x \"\"", {"", "x", ""}},
      {u"a\\\\b\\c", {"a\\\\b\\c"}},
      {u"a\\\"b", {"a\"b"}},
      {u"a\\\\\"b c\"", {"a\\b c"}},
      {u"a\\\\\\\"b", {"a\\\"b"}},
      {u"\"C:\\dir\\\\\" next", {"C:\\dir\\", "next"}},
      {u"\"a\"\"b c\"", {"a\"b", "c"}},
      {u"\"\"\"", {"\""}},
      {u"\"\"\"\"", {"\""}},
      {u"\\\"\"x y\"", {"\"x y"}},
      {u"\"open to the end", {"open to the end"}},
      {u"trailing\\", {"trailing\\"}},
      {u"\"\\Storage Card\\Spiel \u00FC \u20AC.cab\"",
       {"\\Storage Card\\Spiel \xC3\xBC \xE2\x82\xAC.cab"}},
      {u"host\xDCFFname", {"host\xFFname"}},
      {u"lone\xD800surrogate", {"lone\xEF\xBF\xBDsurrogate"}},
  };
  // clang-format on
  for (const auto& [commandLine, expected] : rows) {
    EXPECT_EQ(Recorded(commandLine), expected) << testing::ReadFile(prefix_.File("args"));
  }
}

TEST_F(ProgramStartTest, ProgramRunsUnderItsHostPathWithNoInput) {
  const fs::path shell = prefix_.StorePath() / "Windows/shell.exe";
  fs::copy_file("/bin/sh", shell);
  const std::string record = prefix_.File("args");
  const std::string script = "cat /proc/$$/cmdline - " + WriteWholeTo(record);
  ASSERT_TRUE(StartStoreProgram(prefix_.Store(), u"\\WINDOWS\\Shell.exe",
                                u"-c \"" + std::u16string(script.begin(), script.end()) + u"\""));
  ASSERT_TRUE(WaitForFile(record));
  // argv, then what standard input held: nothing.
  EXPECT_EQ(SplitAtZeros(testing::ReadFile(record)), (Arguments{shell.string(), "-c", script}));
}

TEST_F(ProgramStartTest, WhatCannotBeStartedGivesFalse) {
  const fs::path store = prefix_.StorePath();
  testing::WriteFile(store / "Windows/plain.exe", "#!/bin/sh\nexit 0\n");  // no execute bit
  testing::WriteFile(store / "Windows/garbage.exe", "neither a script nor a binary");
  fs::permissions(store / "Windows/garbage.exe", fs::perms::owner_exec, fs::perm_options::add);
  fs::create_symlink(store / "Windows/record.exe", store / "Windows/link.exe");
  for (const std::u16string_view program :
       {u"\\Windows\\missing.exe", u"\\Nowhere\\record.exe", u"\\Windows\\link.exe",
        u"\\Windows\\plain.exe", u"\\Windows\\garbage.exe", u"\\Windows",
        u"\\Windows\\..\\Windows\\record.exe"}) {
    EXPECT_FALSE(StartStoreProgram(prefix_.Store(), program, u"x")) << Utf16ToUtf8(program);
  }
  EXPECT_FALSE(StartStoreProgram(prefix_.Store(), u"\\Windows\\record.exe",
                                 std::u16string(u"zero\0byte", 9)));
  EXPECT_FALSE(StartStoreProgram(Store(), u"\\Windows\\record.exe", u"x"));
  EXPECT_FALSE(fs::exists(prefix_.File("args")));
}

}  // namespace
}  // namespace kv
