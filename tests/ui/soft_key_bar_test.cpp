// The soft-key bars of menus 4, 130, 131 and 132: their keys and the commands
// they send, the main menu's pop-up with every item in the handset's order
// opening above its key, and the failure box of a bar that cannot be made.
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <vector>

#include "resources/command_ids.h"
#include "ui/soft_key_bar.h"
#include "ui_test_support.h"

namespace kv::testing {
namespace {

struct KeyRow {
  int menu;
  std::string left;
  int leftCommand;
  std::string right;
};

TEST(SoftKeyBar, EachMenuHasItsTwoKeys) {
  const KeyRow rows[] = {
      {ids::kAboutMenu, "OK", ids::kOk, "Cancel"},
      {ids::kMainMenu, "Exit", ids::kCancel, "Menu"},
      {ids::kScanMenu, "Stop", ids::kStopScan, "Back"},
      {ids::kQuarantineMenu, "Restore", ids::kRestoreItem, "Menu"},
  };
  for (const KeyRow& row : rows) {
    SCOPED_TRACE(row.menu);
    QWidget place;
    RecordingBoxes boxes;
    std::vector<int> sent;
    QWidget* bar = ui::CreateSoftKeyBar(
        &place, row.menu, [&](int c) { sent.push_back(c); }, boxes, nullptr);
    ASSERT_NE(bar, nullptr);
    const auto keys = bar->findChildren<QPushButton*>();
    ASSERT_EQ(keys.size(), 2);
    EXPECT_EQ(keys[0]->text().toStdString(), row.left);
    EXPECT_EQ(keys[1]->text().toStdString(), row.right);
    keys[0]->click();
    EXPECT_EQ(sent, std::vector<int>{row.leftCommand});
  }
}

// The main menu sends its commands. It opens upwards from the bar and stays
// within the window, even with room below the window on the display; so does
// a sub-menu asked to open past the window's right edge.
TEST(SoftKeyBar, MainMenuOpensAboveItsKeyInsideTheWindow) {
  QWidget window;
  window.setGeometry(40, 10, 240, 320);
  auto* place = new QWidget(&window);
  place->setGeometry(0, 294, 240, 26);
  RecordingBoxes boxes;
  std::vector<int> sent;
  QWidget* bar = ui::CreateSoftKeyBar(
      place, ids::kMainMenu, [&](int c) { sent.push_back(c); }, boxes, nullptr);
  ASSERT_NE(bar, nullptr);
  auto* menuKey = bar->findChild<QPushButton*>(QStringLiteral("popup"));
  ASSERT_NE(menuKey, nullptr);
  ASSERT_NE(menuKey->menu(), nullptr);
  menuKey->menu()->actions().last()->trigger();
  EXPECT_EQ(sent, std::vector<int>{ids::kAbout});

  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QRect opened;
  QRect subOpened;
  QTimer::singleShot(0, [&] {
    opened = menuKey->menu()->geometry();
    QMenu* sub = menuKey->menu()->findChildren<QMenu*>().first();
    sub->popup(QPoint(window.geometry().right(), opened.top()));
    subOpened = sub->geometry();
    sub->close();
    menuKey->menu()->close();
  });
  menuKey->showMenu();
  const QPoint keyTop = menuKey->mapToGlobal(QPoint(0, 0));
  EXPECT_EQ(opened.bottom() + 1, keyTop.y());
  for (const QRect& menu : {opened, subOpened}) {
    EXPECT_LE(menu.right(), window.geometry().right());
    EXPECT_GE(menu.left(), window.geometry().left());
    EXPECT_LE(menu.bottom() + 1, keyTop.y());
  }
}

TEST(SoftKeyBar, AMissingMenuShowsTheFailureBoxAndMakesNoBar) {
  QWidget place;
  RecordingBoxes boxes;
  QWidget owner;
  EXPECT_EQ(ui::CreateSoftKeyBar(
                &place, 999, [](int) {}, boxes, &owner),
            nullptr);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "SHCreateMenuBar Failed");
  EXPECT_EQ(boxes.shown[0].owner, &owner);
  EXPECT_TRUE(place.findChildren<QPushButton*>().isEmpty());
}

}  // namespace
}  // namespace kv::testing
