// The About box: its title panel at both screen sizes, the fixed database
// version line, and its two soft keys closing it.
#include <QLabel>

#include "resources/command_ids.h"
#include "ui/about_dialog.h"
#include "ui_test_support.h"

namespace kv::testing {
namespace {

struct TitleRow {
  int width, height;
  QRect panel;
  int textX, textY;
};

TEST(AboutDialog, TitlePanelSpansTheClientWidthAndScalesItsCaption) {
  const TitleRow rows[] = {
      {240, 320, QRect(0, 0, 240, 28), 12, 4},
      {480, 640, QRect(0, 0, 480, 56), 24, 8},
  };
  for (const TitleRow& row : rows) {
    RecordingBoxes boxes;
    const ui::UiContext context = ContextFor(row.width, row.height, boxes);
    ui::AboutDialog dialog(context, nullptr);
    auto* panel = FindControl<ui::SkinPanelWidget>(&dialog, ids::kAboutTitlePanel);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->geometry(), row.panel);
    EXPECT_EQ(panel->Caption().text, QStringLiteral("About"));
    EXPECT_EQ(panel->Caption().textX, row.textX);
    EXPECT_EQ(panel->Caption().textY, row.textY);
    EXPECT_EQ(panel->Caption().fontSize, 12);
    EXPECT_EQ(dialog.size(), QSize(row.width, row.height));
    EXPECT_TRUE(boxes.shown.empty());
  }
}

TEST(AboutDialog, ShowsTheLayoutsFixedTexts) {
  RecordingBoxes boxes;
  const ui::UiContext context = ContextFor(480, 640, boxes);
  ui::AboutDialog dialog(context, nullptr);
  auto text = [&](int id) {
    auto* label = FindControl<QLabel>(&dialog, id);
    return label == nullptr ? QString() : label->text();
  };
  EXPECT_EQ(text(ids::kAboutProductName), QStringLiteral("Kestrelvox"));
  EXPECT_EQ(text(ids::kAboutVersion), QStringLiteral("v2.1"));
  EXPECT_EQ(text(ids::kAboutDatabaseVersion), QStringLiteral("VirusDB Version: 20102"));
  auto* icon = FindControl<QLabel>(&dialog, ids::kAboutIcon);
  ASSERT_NE(icon, nullptr);
  EXPECT_FALSE(icon->pixmap().isNull());
}

TEST(AboutDialog, OkAndCancelBothCloseIt) {
  for (const int command : {ids::kOk, ids::kCancel}) {
    RecordingBoxes boxes;
    const ui::UiContext context = ContextFor(240, 320, boxes);
    ui::AboutDialog dialog(context, nullptr);
    dialog.setResult(7);
    dialog.show();
    ASSERT_TRUE(ClickSoftKey(&dialog, command));
    EXPECT_FALSE(dialog.isVisible()) << command;
    EXPECT_EQ(dialog.result(), 0);
  }
}

}  // namespace
}  // namespace kv::testing
