// The soft-key bars: the main menu's pop-up opening above its key, and the
// failure box of a bar that cannot be made. (A key's command is sent in the
// quarantine dialog's and the main window's tests.)
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "resources/command_ids.h"
#include "ui/soft_key_bar.h"
#include "ui_test_support.h"

namespace kv::testing {
namespace {

// The main menu opens upwards from the bar and stays within the window,
// even with room below the window on the display; so does a sub-menu asked
// to open past the window's right edge.
TEST(SoftKeyBar, MainMenuOpensAboveItsKeyInsideTheWindow) {
  QWidget window;
  window.setGeometry(40, 10, 240, 320);
  auto* place = new QWidget(&window);
  place->setGeometry(0, 294, 240, 26);
  RecordingBoxes boxes;
  QWidget* bar = CreateSoftKeyBar(
      place, ids::kMainMenu, [](int) {}, boxes, nullptr);
  ASSERT_NE(bar, nullptr);
  auto* menuKey = bar->findChild<QPushButton*>(QStringLiteral("popup"));
  ASSERT_NE(menuKey, nullptr);
  ASSERT_NE(menuKey->menu(), nullptr);

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
  EXPECT_EQ(CreateSoftKeyBar(
                &place, 999, [](int) {}, boxes, &owner),
            nullptr);
  ASSERT_EQ(boxes.Texts(), std::vector<std::string>{"Error|SHCreateMenuBar Failed"});
  EXPECT_EQ(boxes.shown[0].owner, &owner);
  EXPECT_TRUE(place.findChildren<QPushButton*>().isEmpty());
}

}  // namespace
}  // namespace kv::testing
