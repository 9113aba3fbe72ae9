// The ScanStatus exchange end to end: a registry watch whose callback is
// OnScanStatusChanged, and a real tarnreg process as the controlling
// program writing ScanStatus. Only 0 stops the background scan; 1, 2 and a
// deleted value do not. The suite's name ends in "Threaded" so that it
// also runs under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "app/settings.h"
#include "platform/registry_watch.h"
#include "support/change_counter.h"
#include "tarnreg_runner.h"

namespace kv::testing {
namespace {

const std::string kKey = "HKLM\\software\\quellbrin\\Kestrelvox";

RunResult SetScanStatus(const std::string& status) {
  return RunTarnreg({"add", kKey, "/v", "ScanStatus", "/t", "REG_DWORD", "/d", status, "/f"});
}

TEST(ScanStatusWatchThreaded, OnlyAZeroWrittenByAnotherProcessStopsTheBackgroundScan) {
  const ToolPrefix prefix;
  const platform::RegistryHive hive(prefix.Path() / "system.reg");
  StopToken backgroundScanStop;
  ChangeCounter counter;
  platform::RegistryWatch watch;
  ASSERT_TRUE(watch.Start(hive.Path(), [&] {
    app::OnScanStatusChanged(hive, backgroundScanStop);
    counter.Count();
  }));

  int changes = 0;
  for (const char* status : {"2", "1"}) {
    ASSERT_EQ(SetScanStatus(status).status, 0);
    ASSERT_TRUE(counter.WaitFor(++changes)) << status;
    EXPECT_FALSE(backgroundScanStop.IsStopped()) << status;
  }
  ASSERT_EQ(RunTarnreg({"delete", kKey, "/v", "ScanStatus", "/f"}).status, 0);
  ASSERT_TRUE(counter.WaitFor(++changes));
  EXPECT_FALSE(backgroundScanStop.IsStopped());

  ASSERT_EQ(SetScanStatus("0").status, 0);
  EXPECT_TRUE(counter.WaitUntil([&] { return backgroundScanStop.IsStopped(); }));
}

}  // namespace
}  // namespace kv::testing
