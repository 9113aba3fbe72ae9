// The GUI's resource tables hang together: the main menu reaches every
// command of the main window, the accelerators send only menu commands,
// and the icon is a square of known colours.
#include <gtest/gtest.h>

#include <set>
#include <span>

#include "resources/accelerators.h"
#include "resources/command_ids.h"
#include "resources/icons.h"
#include "resources/menus.h"

namespace kv::resources {
namespace {

std::set<int> MenuCommands(std::span<const MenuItem> items) {
  std::set<int> commands;
  for (const MenuItem& item : items) {
    if (item.kind == MenuItemKind::kCommand) commands.insert(item.command);
    if (item.kind == MenuItemKind::kPopup) commands.merge(MenuCommands(item.items));
  }
  return commands;
}

TEST(Menus, MainMenuAndAcceleratorsReachEveryCommandOfTheMainWindow) {
  const MenuResource* menu = FindMenu(ids::kMainMenu);
  ASSERT_NE(menu, nullptr);
  const std::set<int> commands = MenuCommands(menu->keys);
  EXPECT_EQ(commands, (std::set<int>{2, 1002, 1003, 5000, 5001, 5002, 5003, 5005, 32783, 32785,
                                     32793, 32794, 32801}));
  const auto accelerators = FindAccelerators(ids::kMainAccelerators);
  ASSERT_FALSE(accelerators.empty());
  for (const Accelerator& accelerator : accelerators) {
    EXPECT_TRUE(commands.count(accelerator.command)) << accelerator.command;
    EXPECT_TRUE(accelerator.key >= 'A' && accelerator.key <= 'Z');
  }
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
}

}  // namespace
}  // namespace kv::resources
