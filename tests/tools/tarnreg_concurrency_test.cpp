// Many tarnreg processes writing one hive at once, each a different value:
// the writers' lock and the re-read under it must keep every update.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "registry/hive.h"
#include "support/child_processes.h"
#include "support/program_runner.h"

namespace kv::testing {
namespace {

TEST(TarnregConcurrency, ProcessesWritingAtOnceLoseNoUpdate) {
  const ToolPrefix prefix;
  constexpr int kWriters = 24;
  std::vector<std::function<int()>> writers;
  for (int i = 0; i < kWriters; ++i) {
    // Two keys, so that writers also create keys beside each other.
    const std::string key = i % 2 ? "HKLM\\software\\odd" : "HKLM\\software\\even";
    writers.emplace_back([key, i] {
      return RunTarnreg({"add", key, "/v", "Value" + std::to_string(i), "/t", "REG_DWORD", "/d",
                         std::to_string(1000 + i), "/f"})
          .status;
    });
  }
  for (const int status : RunInChildProcesses(writers)) EXPECT_EQ(status, 0);
  const RegistryHive hive(HivePath(prefix.Store()));
  for (int i = 0; i < kWriters; ++i) {
    const std::u16string key = i % 2 ? u"software\\odd" : u"software\\even";
    const std::string name = "Value" + std::to_string(i);
    const RegistryResult<RegistryValue> read =
        hive.ReadValue(RegistryRoot::kLocalMachine, key, std::u16string(name.begin(), name.end()));
    ASSERT_EQ(read.status, RegistryStatus::kOk) << name;
    EXPECT_EQ(read.value.dword, static_cast<std::uint32_t>(1000 + i)) << name;
  }
}

}  // namespace
}  // namespace kv::testing
