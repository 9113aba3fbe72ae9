// The main window's settings and log commands on a real hive and log: the
// registry change, the one box each shows, and the Clear Log question.
#include "app/menu_commands.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/settings.h"
#include "platform/registry_hive.h"
#include "support/scan_recorders.h"
#include "support/temp_files.h"

namespace kv::app {
namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;
using testing::RecordingBoxes;

const int kOwner = 0;
constexpr platform::MessageOwner kWindow = &kOwner;

using Command = std::function<void(platform::RegistryHive&, RecordingBoxes&)>;

struct CommandRow {
  const char* name;
  Command run;
  std::u16string_view command;  // the open command afterwards; empty: untouched
  std::string notice;
  std::string caption;
};

const std::string kCabNotice =
    "Scan CAB file when installed has been enabled!\nWhen install CAB,Kestrelvox will scan it,"
    "Kestrelvox will alerm and kill virus when find a Trojan.It will quit when scan finished,"
    "and will not take any resources at normal time.";

std::vector<CommandRow> Rows() {
  return {
      {"startup", [](auto&, auto& boxes) { OnScanWhenStartup(boxes, kWindow); }, u"",
       "Fast scan function when startup has been enabled!\nWhen startup,Kestrelvox will run,and "
       "quit after scan finished,it will not take any resources at normal time.",
       "Information"},
      {"monitor", [](auto& hive, auto& boxes) { OnMonitorCabFiles(hive, boxes, kWindow); },
       kCabMonitorOnCommand, kCabNotice, "Information"},
      {"enable", [](auto& hive, auto& boxes) { OnEnableCabMonitor(hive, boxes, kWindow); },
       kCabMonitorOnCommand,
       "The function of \"Monitor CAB file when installed\" has been enabled.", "Finished"},
      {"disable", [](auto& hive, auto& boxes) { OnDisableCabMonitor(hive, boxes, kWindow); },
       kCabMonitorOffCommand,
       "The function of \"Monitor CAB file when installed\" has been disabled.", "Finished"},
  };
}

std::u16string OpenCommand(const platform::RegistryHive& hive) {
  platform::RegistryValue value;
  if (hive.ReadValue(platform::RegistryRoot::kClassesRoot, kCabOpenCommandKey, u"", value) !=
      platform::RegistryStatus::kOk) {
    return {};
  }
  return value.text;
}

TEST(MenuCommands, EachSettingChangesTheOpenCommandAndTellsSo) {
  for (const CommandRow& row : Rows()) {
    testing::TempDir dir;
    platform::RegistryHive hive(dir.Path() / "system.reg");
    RecordingBoxes boxes;
    row.run(hive, boxes);
    EXPECT_EQ(OpenCommand(hive), row.command) << row.name;
    ASSERT_EQ(boxes.shown.size(), 1u) << row.name;
    EXPECT_EQ(boxes.shown[0].text, row.notice) << row.name;
    EXPECT_EQ(boxes.shown[0].caption, row.caption) << row.name;
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::kInformation) << row.name;
    EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::kOk) << row.name;
    EXPECT_EQ(boxes.shown[0].owner, kWindow) << row.name;
  }
}

TEST(MenuCommands, MonitorThenDisableLeavesTheInstallerCommand) {
  testing::TempDir dir;
  platform::RegistryHive hive(dir.Path() / "system.reg");
  RecordingBoxes boxes;
  OnMonitorCabFiles(hive, boxes, kWindow);
  OnDisableCabMonitor(hive, boxes, kWindow);
  EXPECT_EQ(OpenCommand(hive), kCabMonitorOffCommand);
}

TEST(MenuCommands, ARefusedWriteShowsTheFailureWithEachCommandsIcon) {
  const std::pair<Command, MessageIcon> rows[] = {
      {[](auto& hive, auto& boxes) { OnMonitorCabFiles(hive, boxes, kWindow); },
       MessageIcon::kInformation},
      {[](auto& hive, auto& boxes) { OnEnableCabMonitor(hive, boxes, kWindow); },
       MessageIcon::kError},
      {[](auto& hive, auto& boxes) { OnDisableCabMonitor(hive, boxes, kWindow); },
       MessageIcon::kError},
  };
  for (const auto& [run, icon] : rows) {
    testing::TempDir dir;
    testing::WriteFile(dir.Path() / "system.reg", "not a hive\n");
    platform::RegistryHive hive(dir.Path() / "system.reg");
    RecordingBoxes boxes;
    run(hive, boxes);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Can not set this function");
    EXPECT_EQ(boxes.shown[0].caption, "Error");
    EXPECT_EQ(boxes.shown[0].icon, icon);
    EXPECT_EQ(testing::ReadFile(dir.Path() / "system.reg"), "not a hive\n");
  }
}

TEST(MenuCommands, ClearLogDeletesTheLogOnlyOnYes) {
  for (const MessageAnswer answer : {MessageAnswer::kNo, MessageAnswer::kYes}) {
    testing::TempPrefix prefix;
    const auto log = prefix.WriteStoreFile("Runeskop.log", std::string("\xFF\xFE\r\0\n\0A\0", 8));
    RecordingBoxes boxes;
    boxes.answers.push_back(answer);
    OnClearLog(prefix.Store(), boxes, kWindow);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Are you sure to delete the log?");
    EXPECT_EQ(boxes.shown[0].caption, "Question");
    EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::kYesNo);
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::kQuestion);
    EXPECT_EQ(std::filesystem::exists(log), answer == MessageAnswer::kNo);
  }
}

TEST(MenuCommands, ClearLogWithoutALogShowsNothingMore) {
  testing::TempPrefix prefix;
  RecordingBoxes boxes;
  boxes.answers.push_back(MessageAnswer::kYes);
  OnClearLog(prefix.Store(), boxes, kWindow);
  EXPECT_EQ(boxes.shown.size(), 1u);
}

}  // namespace
}  // namespace kv::app
