// CreateListDialog: one layout for both list dialogs, so they look alike.
#include "ui/list_dialog.h"

#include "resources/command_ids.h"
#include "resources/dialog_layouts.h"
#include "ui/dialog_items.h"
#include "ui/soft_key_bar.h"

namespace kv {
namespace {

constexpr int kPanelDesignHeight = 40;
// The lines' font: the dialog font's 12 design pixels cut most lines.
constexpr int kListFontDesignPixels = 10;

}  // namespace

ListDialogControls CreateListDialog(QDialog& dialog, const UiContext& context, const QString& title,
                                    int softKeyMenu, const CommandHandler& onCommand,
                                    QWidget* owner, SkinPanel& titlePanel) {
  const float s = context.Scale();
  HandsetFrame frame(dialog, context.screen, title, onCommand);
  if (owner != nullptr) dialog.move(owner->mapToGlobal(QPoint(0, 0)));
  (void)CreateSoftKeyBar(frame.SoftKeyPlace(), softKeyMenu, onCommand, context.boxes, &dialog);

  const QRect client = frame.Client()->rect();
  // The banner's picture names the program: no caption over it.
  titlePanel.SetCaption(QString(), Scaled(s, kCaptionDesignX), Scaled(s, kCaptionDesignY),
                        kCaptionPoints);
  (void)titlePanel.Create(frame.Client(),
                          QRect(0, 0, client.width(), Scaled(s, kPanelDesignHeight)),
                          ids::kTitlePanel, TitleBannerImage(client.height() > 320), s);
  if (const DialogLayout* layout = FindDialogLayout(ids::kScanDialog)) {
    CreateDialogItems(frame.Client(), *layout, s);
  }
  ListDialogControls controls;
  controls.status = frame.Client()->findChild<QLabel*>(QString::number(ids::kScanStatus));
  controls.list = frame.Client()->findChild<QListWidget*>(QString::number(ids::kScanList));
  if (controls.status == nullptr || controls.list == nullptr) return {};
  controls.status->setGeometry(Scaled(s, 3), Scaled(s, 50), client.width() - Scaled(s, 6),
                               Scaled(s, 26));
  controls.list->setGeometry(Scaled(s, 3), Scaled(s, 100), client.width() - Scaled(s, 6),
                             client.height() - Scaled(s, 128));
  controls.list->setSelectionBehavior(QAbstractItemView::SelectRows);
  QFont font = controls.list->font();
  font.setPixelSize(Scaled(s, kListFontDesignPixels));
  controls.list->setFont(font);
  // A path cut in the middle keeps its file's name.
  controls.list->setTextElideMode(Qt::ElideMiddle);
  return controls;
}

}  // namespace kv
