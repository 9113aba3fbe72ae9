// A failed single-instance check through the real binary: the window's
// start ends with a documented status and says why, where the handset
// ended with the check's HRESULT.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/program_runner.h"

namespace kv::testing {
namespace {

TEST(TarnwatchInstance, ALockThatCannotBeTakenEndsWithOneAndSaysWhy) {
  const ToolPrefix prefix;
  std::filesystem::create_directories(prefix.Path() / "run" / "Kestrelvox.lock");
  const RunResult result = RunProgram(KV_TARNWATCH_PATH, {}, {}, {"QT_QPA_PLATFORM=offscreen"});
  EXPECT_EQ(result.status, 1);
  // Qt may say something of its own first.
  EXPECT_TRUE(result.err.ends_with("tarnwatch: cannot take the single-instance lock in '" +
                                   (prefix.Path() / "run").string() + "'\n"))
      << result.err;
}

}  // namespace
}  // namespace kv::testing
