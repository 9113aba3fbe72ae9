// tarnwatch's window module through the real binary: the silent modes never
// map Qt or libcurl (the loader's own trace says which libraries a run
// opened), a start of the window does; and a tarnwatch whose module is
// missing still runs its silent modes, while its window's start says why it
// cannot open and ends with 1.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/program_runner.h"
#include "tool_runs.h"

namespace kv::testing {
namespace {

// No display, so that a window's start ends as soon as the module is in.
const std::vector<std::string> kNoDisplay = {
    "DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=", "KESTRELVOX_UI=console"};

TEST(TarnwatchWindowModule, OnlyTheWindowsStartMapsItsLibrariesAndNeedsIt) {
  const TarnwatchHandset handset({CharacterLine("Evil", "EVIL-MARK")});
  std::vector<std::string> traced = kNoDisplay;
  traced.push_back("LD_DEBUG=libs");
  struct Case {
    std::vector<std::string> args;
    bool window;
  };
  for (const Case& run :
       std::vector<Case>{{{"-hideandscan"}, false}, {{"-autocheck"}, false}, {{}, true}}) {
    const RunResult result = RunProgram(KV_TARNWATCH_PATH, run.args, {}, traced);
    const std::string label = run.args.empty() ? "(window)" : run.args[0];
    EXPECT_EQ(result.status, run.window ? 1 : 255) << label << "\n" << result.err;
    for (const char* library : {"libQt6Widgets.so", "libQt6Core.so", "libcurl"}) {
      EXPECT_EQ(result.err.find(library) != std::string::npos, run.window)
          << label << " " << library;
    }
  }

  // Without the module beside it.
  handset.WriteStoreFile("Windows/a.exe", "..EVIL-MARK..");
  const TempDir alone;
  const std::filesystem::path program = alone.Path() / "tarnwatch";
  std::filesystem::copy_file(KV_TARNWATCH_PATH, program);

  EXPECT_EQ(RunProgram(program.string(), {"-hideandscan"}, {}, kNoDisplay).status, 255);
  EXPECT_FALSE(std::filesystem::exists(handset.StorePath() / "Windows/a.exe"));

  const RunResult window = RunProgram(program.string(), {}, {}, kNoDisplay);
  EXPECT_EQ(window.status, 1);
  EXPECT_TRUE(window.err.starts_with(
      "tarnwatch: cannot load the window: " +
      (alone.Path() / "../lib/kestrelvox/tarnwatch-window.so").lexically_normal().string() +
      ": cannot open shared object file"))
      << window.err;
}

}  // namespace
}  // namespace kv::testing
