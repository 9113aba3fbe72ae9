// The GUI's resource tables: the menus' command identifiers, the dialog
// layouts' numbers, the accelerators, the icon's shape, and the texts of
// the controls and dialogs.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/text.h"
#include "resources/accelerators.h"
#include "resources/command_ids.h"
#include "resources/dialog_layouts.h"
#include "resources/icons.h"
#include "resources/menus.h"
#include "resources/string_table.h"

namespace kv::resources {
namespace {

void CollectCommands(std::span<const MenuItem> items, std::set<int>& commands) {
  for (const MenuItem& item : items) {
    if (item.kind == MenuItemKind::kCommand) commands.insert(item.command);
    if (item.kind == MenuItemKind::kPopup) CollectCommands(item.items, commands);
  }
}

TEST(Menus, MainMenuReachesEveryCommandOfTheMainWindow) {
  const MenuResource* menu = FindMenu(ids::kMainMenu);
  ASSERT_NE(menu, nullptr);
  std::set<int> commands;
  CollectCommands(menu->keys, commands);
  const std::set<int> expected = {2,    1002,  1003,  5000,  5001,  5002,
                                  5003, 32783, 32785, 32793, 32794, 32801};
  EXPECT_EQ(commands, expected);
}

TEST(Menus, OnlyTheProgramsMenusExist) {
  for (const int id : {4, 130, 131}) EXPECT_NE(FindMenu(id), nullptr) << id;
  for (const int id : {0, 3, 5, 100, 128, 132}) EXPECT_EQ(FindMenu(id), nullptr) << id;
}

struct ItemRow {
  int layout;
  int id;
  DialogItemKind kind;
  int x, y, width, height;
  std::string text;
};

TEST(DialogLayouts, ItemsStandWhereTheTemplatesPutThem) {
  const ItemRow rows[] = {
      {100, 201, DialogItemKind::kIcon, 12, 50, 20, 20, ""},
      {100, 202, DialogItemKind::kText, 44, 51, 96, 13, "Kestrelvox"},
      {100, 204, DialogItemKind::kText, 44, 65, 88, 8, "v2.1"},
      {100, 205, DialogItemKind::kText, 7, 85, 126, 11, "VirusDB Version: 20102"},
      {130, 1008, DialogItemKind::kBorderedText, 3, 46, 164, 16, "Ready to scan..."},
      {130, 1007, DialogItemKind::kListView, 0, 65, 172, 96, ""},
  };
  for (const ItemRow& row : rows) {
    const DialogLayout* layout = FindDialogLayout(row.layout);
    ASSERT_NE(layout, nullptr);
    const DialogItem* found = nullptr;
    for (const DialogItem& item : layout->items) {
      if (item.id == row.id) found = &item;
    }
    ASSERT_NE(found, nullptr) << row.id;
    EXPECT_EQ(found->kind, row.kind) << row.id;
    EXPECT_EQ(found->x, row.x) << row.id;
    EXPECT_EQ(found->y, row.y) << row.id;
    EXPECT_EQ(found->width, row.width) << row.id;
    EXPECT_EQ(found->height, row.height) << row.id;
    EXPECT_EQ(platform::Utf16ToUtf8(found->text), row.text) << row.id;
  }
  EXPECT_EQ(FindDialogLayout(100)->width, 185);
  EXPECT_EQ(FindDialogLayout(130)->height, 191);
  EXPECT_EQ(FindDialogLayout(131), nullptr);
}

TEST(Accelerators, TableSendsOnlyMenuCommands) {
  const auto table = FindAccelerators(ids::kMainAccelerators);
  ASSERT_FALSE(table.empty());
  std::set<int> menuCommands;
  CollectCommands(FindMenu(ids::kMainMenu)->keys, menuCommands);
  for (const Accelerator& accelerator : table) {
    EXPECT_TRUE(menuCommands.count(accelerator.command)) << accelerator.command;
    EXPECT_TRUE(accelerator.key >= 'A' && accelerator.key <= 'Z');
  }
  EXPECT_TRUE(FindAccelerators(4).empty());
}

TEST(Icons, ProgramIconIsASquareOfKnownColours) {
  const IconResource* icon = FindIcon(ids::kProgramIcon);
  ASSERT_NE(icon, nullptr);
  std::set<char> keys = {'.'};
  for (const IconPixel& pixel : icon->palette) keys.insert(pixel.key);
  ASSERT_FALSE(icon->rows.empty());
  for (std::string_view row : icon->rows) {
    EXPECT_EQ(row.size(), icon->rows.size());
    for (char key : row) EXPECT_TRUE(keys.count(key)) << key;
  }
  EXPECT_EQ(FindIcon(100), nullptr);
}

TEST(GuiTexts, ControlsAndDialogsShowTheHandsetsTexts) {
  const std::pair<int, std::string> rows[] = {
      {strings::kSkinFontFace, "Tahoma"},
      {strings::kAboutTitle, "About"},
      {strings::kMemoryScanLabel, "Memory Scan"},
      {strings::kFullScanLabel, "Full Scan"},
      {strings::kFastScanLabel, "Fast Scan"},
      {strings::kViewLogLabel, "View Log"},
      {strings::kAskStartFullScan,
       "Full Scan will be started,it may take several minutes.\nStart scan?"},
      {strings::kAskClearLog, "Are you sure to delete the log?"},
      {strings::kReadyToScan, "Ready to scan..."},
      {strings::kLogViewStatus, "The Log:"},
      {strings::kMemoryScanning, "Memory scanning..."},
      {strings::kFastScanning, "Fast scanning..."},
      {strings::kFullScanning, "Full scanning..."},
      {strings::kScanStartLine, "*%02d/%d/%d %02d:%02d:%02d Start "},
      {strings::kFoundTrojanNumbered, "[%d].Found Trojan,"},
      {strings::kFoundTrojanDeletedTail, "Delete successfully:"},
      {strings::kFoundTrojanNotDeletedTail, "Can not delete:"},
      {strings::kStopScanFirst, "Please stop scan first!\n"},
      {strings::kAskStopScan, "Scan is running,stop it?"},
      {strings::kCreateThreadFailed, "Create thread failed!"},
  };
  for (const auto& [id, text] : rows) {
    EXPECT_EQ(platform::Utf16ToUtf8(strings::LoadString(id)), text) << id;
  }
}

}  // namespace
}  // namespace kv::resources
