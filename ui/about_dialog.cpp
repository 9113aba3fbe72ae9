// The About box.
#include "ui/about_dialog.h"

#include "resources/command_ids.h"
#include "resources/string_table.h"
#include "ui/dialog_items.h"
#include "ui/handset_frame.h"
#include "ui/qt_text.h"
#include "ui/soft_key_bar.h"

namespace kv {
namespace {

constexpr int kAboutTitleImage = 5370;
constexpr int kTitleDesignHeight = 28;

}  // namespace

AboutDialog::AboutDialog(const UiContext& context, QWidget* owner)
    : QDialog(owner, Qt::FramelessWindowHint) {
  const float scale = context.Scale();
  const CommandHandler onCommand = [this](int command) { OnCommand(command); };
  HandsetFrame frame(*this, context.screen, LoadQString(strings::kProductName), onCommand);
  if (owner != nullptr) move(owner->mapToGlobal(QPoint(0, 0)));
  (void)CreateSoftKeyBar(frame.SoftKeyPlace(), ids::kAboutMenu, onCommand, context.boxes, this);

  titlePanel_.SetCaption(LoadQString(strings::kAboutTitle), Scaled(scale, kCaptionDesignX),
                         Scaled(scale, kCaptionDesignY), kCaptionPoints);
  (void)titlePanel_.Create(
      frame.Client(),
      QRect(0, 0, context.MainClientRect().width(), Scaled(scale, kTitleDesignHeight)),
      ids::kAboutTitlePanel, kAboutTitleImage, scale);
  if (const DialogLayout* layout = FindDialogLayout(ids::kAboutDialog)) {
    CreateDialogItems(frame.Client(), *layout, scale);
  }
}

void AboutDialog::OnCommand(int command) {
  if (command == ids::kOk || command == ids::kCancel) done(0);
}

void OnAbout(const UiContext& context, QWidget* owner) {
  AboutDialog dialog(context, owner);
  dialog.exec();
}

}  // namespace kv
