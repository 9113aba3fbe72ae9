// The skinned button and banner: which picture shows as the stylus goes
// down, slides off and back, and lifts; a missing picture or bundle; the
// banner's cut caption.
#include <QSignalSpy>

#include "ui/skin_button.h"
#include "ui/skin_panel.h"
#include "ui_test_support.h"

namespace kv::testing {
namespace {

constexpr int kMemoryTall = 6535;

class SkinButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_.resize(240, 268);
    ASSERT_TRUE(button_.Create(&parent_, QRect(20, 70, 200, 33), QStringLiteral("Memory Scan"),
                               5000, kMemoryTall, 9, 45, 1.0f));
    widget_ = button_.Widget();
  }

  // Paints the button as the screen would and tells which picture it drew.
  int Painted() {
    (void)widget_->grab();
    return widget_->LastImageId();
  }

  SkinnedPrefix prefix_;
  QWidget parent_;
  SkinButton button_;
  SkinButtonWidget* widget_ = nullptr;
};

TEST_F(SkinButtonTest, PressedWhileHeldOverItNormalWhenSlidOffAndPressedWhenBack) {
  QSignalSpy clicks(widget_, &QAbstractButton::clicked);
  EXPECT_EQ(Painted(), kMemoryTall);
  EXPECT_TRUE(widget_->LastImageDrawn());

  SendStylus(widget_, QEvent::MouseButtonPress, QPoint(10, 10));
  EXPECT_EQ(Painted(), kMemoryTall + 1);
  EXPECT_TRUE(widget_->LastImageDrawn());

  SendStylus(widget_, QEvent::MouseMove, QPoint(300, 10));
  EXPECT_EQ(Painted(), kMemoryTall);

  SendStylus(widget_, QEvent::MouseMove, QPoint(20, 20));
  EXPECT_EQ(Painted(), kMemoryTall + 1);

  // Lifting over it clicks and paints it normal again; lifting off it does not.
  SendStylus(widget_, QEvent::MouseButtonRelease, QPoint(20, 20));
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(Painted(), kMemoryTall);
  SendStylus(widget_, QEvent::MouseButtonPress, QPoint(10, 10));
  SendStylus(widget_, QEvent::MouseMove, QPoint(10, 200));
  SendStylus(widget_, QEvent::MouseButtonRelease, QPoint(10, 200));
  EXPECT_EQ(clicks.count(), 1);
}

TEST_F(SkinButtonTest, PressedButtonWithoutPressedPicturePaintsWhite) {
  SkinButton lonely;
  // The About title has no N + 1 picture.
  ASSERT_TRUE(lonely.Create(&parent_, QRect(0, 0, 100, 30), QString(), 1, 5370, 9, 0, 1.0f));
  SendStylus(lonely.Widget(), QEvent::MouseButtonPress, QPoint(5, 5));
  const QImage shot = lonely.Widget()->grab().toImage();
  EXPECT_EQ(lonely.Widget()->LastImageId(), 5371);
  EXPECT_FALSE(lonely.Widget()->LastImageDrawn());
  EXPECT_EQ(shot.pixelColor(50, 15), QColor(Qt::white));
}

TEST(SkinButtonCreate, NegativeIndentMakesNoButtonAndTheWidgetGoesWithItsButton) {
  QWidget parent;
  SkinButton refused;
  EXPECT_FALSE(
      refused.Create(&parent, QRect(0, 0, 100, 30), QStringLiteral("x"), 1, 1, 9, -1, 1.0f));
  EXPECT_EQ(refused.Widget(), nullptr);
  {
    SkinButton made;
    ASSERT_TRUE(made.Create(&parent, QRect(0, 0, 10, 10), QString(), 1, 1, 9, 0, 1.0f));
  }
  EXPECT_TRUE(parent.findChildren<QAbstractButton*>().isEmpty());
}

TEST(SkinPanelCaption, KeepsSixtyThreeCharactersAndEndsInAnEllipsisWhenCut) {
  SkinnedPrefix prefix;
  QWidget parent;
  SkinPanel panel;
  panel.SetCaption(QString(80, QLatin1Char('W')), 12, 4, 12);
  ASSERT_TRUE(panel.Create(&parent, QRect(0, 0, 120, 40), 5004, 6565));
  EXPECT_EQ(panel.Widget()->Caption().text.size(), 63);
  (void)panel.Widget()->grab();
  EXPECT_TRUE(panel.Widget()->LastDrawnCaption().endsWith(QChar(0x2026)));
}

TEST(SkinLibraryLoad, MissingOrForeignBundleLoadsNothing) {
  TempPrefix prefix;
  SkinLibrary skin;
  EXPECT_FALSE(skin.Load(prefix.Store()));
  prefix.WriteStoreFile("Program Files/Quellbrin/mainskin.dll", "MZ not a bundle");
  EXPECT_FALSE(skin.Load(prefix.Store()));
  EXPECT_FALSE(skin.IsLoaded());
}

}  // namespace
}  // namespace kv::testing
