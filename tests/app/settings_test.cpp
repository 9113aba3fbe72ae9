// The registry settings helpers on a real hive: ReadRegistryDword's
// type-blind read, and which ScanStatus changes stop a background scan
// (only a read of 0; values of other types read as that read shows).
#include "app/settings.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/registry_text.h"
#include "support/temp_files.h"

namespace kv {
namespace {

using testing::WriteFile;

// A background scan stops on exactly the reads of 0.
TEST(Settings, ReadsTheFirstFourDataBytesWhateverTheTypeAndOnlyZeroStopsTheScan) {
  const testing::TempDir dir;
  const RegistryHive hive(dir.Path() / "hive.reg");
  // clang-format off
  const std::pair<std::string, std::optional<std::uint32_t>> cases[] = {
      {"\"ScanStatus\"=dword:fffffffe", 0xFFFFFFFE}, {"\"ScanStatus\"=dword:00000000", 0},
      {"\"ScanStatus\"=\"\"", 0},                // the terminator only
      {"\"ScanStatus\"=\"2\"", 0x32},            // '2', then the terminator
      {"\"ScanStatus\"=\"ab\"", 0x00620061},     // two units; the rest is cut
      {"\"scanstatus\"=\"\xE2\x82\xAC\"", 0x20AC},
      {"\"Other\"=dword:00000000", std::nullopt}};  // no such value, as any failed read
  // clang-format on
  for (const auto& [line, expected] : cases) {
    WriteFile(hive.Path(), kVersionLine + "\n" + kKeyLine + line + "\n");
    EXPECT_EQ(
        ReadRegistryDword(hive, RegistryRoot::kLocalMachine, kKestrelvoxKey, kScanStatusValue),
        expected)
        << line;
    StopToken backgroundScanStop;
    OnScanStatusChanged(hive, backgroundScanStop);
    EXPECT_EQ(backgroundScanStop.IsStopped(), expected == 0u) << line;
  }
}

}  // namespace
}  // namespace kv
