// The main window's settings and log commands on a real hive and log: the
// registry change, the one box each shows, and the Clear Log question.
#include "app/menu_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/settings.h"
#include "registry/hive.h"
#include "support/scan_recorders.h"
#include "support/temp_files.h"

namespace kv {
namespace {

using testing::RecordingBoxes;

const int kOwner = 0;
constexpr MessageOwner kWindow = &kOwner;

TEST(MenuCommands, EachSettingChangesTheOpenCommandAndTellsSoOrShowsARefusedWrite) {
  const std::string kFunction =
      "Finished|The function of \"Monitor CAB file when installed\" has been ";
  const std::string kRefused = "Error|Can not set this function";
  const std::string kNoHive = "not a hive\n";
  using enum MessageIcon;
  const struct {
    void (*command)(RegistryHive&, MessageBoxes&, MessageOwner);
    std::string hive;  // the hive file before; empty: none
    MessageIcon icon;
    std::u16string_view openCommand;  // afterwards
    std::string box;                  // its first line, "<caption>|<text>"
  } rows[] = {
      {OnMonitorCabFiles, "", kInformation, kCabMonitorOnCommand,
       "Information|Scan CAB file when installed has been enabled!"},
      {OnEnableCabMonitor, "", kInformation, kCabMonitorOnCommand, kFunction + "enabled."},
      {OnDisableCabMonitor, "", kInformation, kCabMonitorOffCommand, kFunction + "disabled."},
      {OnMonitorCabFiles, kNoHive, kInformation, u"", kRefused},
      {OnEnableCabMonitor, kNoHive, kError, u"", kRefused},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.box);
    testing::TempDir dir;
    if (!row.hive.empty()) testing::WriteFile(dir.Path() / "hive.reg", row.hive);
    RegistryHive hive(dir.Path() / "hive.reg");
    RecordingBoxes boxes;
    row.command(hive, boxes, kWindow);
    ASSERT_EQ(boxes.shown.size(), 1u);
    const std::string box = boxes.Texts()[0];
    EXPECT_EQ(box.substr(0, box.find('\n')), row.box);
    EXPECT_EQ(boxes.shown[0].icon, row.icon);
    EXPECT_EQ(boxes.shown[0].owner, kWindow);
    EXPECT_EQ(hive.ReadValue(RegistryRoot::kClassesRoot, kCabOpenCommandKey, u"").value.text,
              row.openCommand);
    if (row.hive == kNoHive) {
      EXPECT_EQ(testing::ReadFile(dir.Path() / "hive.reg"), kNoHive);  // left as it was
    }
  }
}

TEST(MenuCommands, ClearLogAsksAndDeletesTheLogOnlyOnYes) {
  // No, Yes, and Yes with no log at all: one question each, and nothing more.
  const std::pair<MessageAnswer, bool> rows[] = {
      {MessageAnswer::kNo, true}, {MessageAnswer::kYes, true}, {MessageAnswer::kYes, false}};
  for (const auto& [answer, withLog] : rows) {
    testing::TempPrefix prefix;
    const auto log = prefix.StorePath() / "Runeskop.log";
    if (withLog) prefix.WriteStoreFile("Runeskop.log", std::string("\xFF\xFE\r\0\n\0A\0", 8));
    RecordingBoxes boxes;
    boxes.answers.push_back(answer);
    OnClearLog(prefix.Store(), boxes, kWindow);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Question|Are you sure to delete the log? (Yes/No)"});
    EXPECT_EQ(std::filesystem::exists(log), withLog && answer == MessageAnswer::kNo);
  }
}

}  // namespace
}  // namespace kv
