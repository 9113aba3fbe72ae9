// The frame the scan dialog and the quarantine dialog share: the handset
// frame with its title strip and soft keys, the uncaptioned title banner,
// and the status line and list of layout 130 placed as the scan dialog
// places them (s the scale: the status line at 3 s, 50 s, the client width
// less 6 s across and 26 s high; the list at 3 s, 100 s, the client width
// less 6 s and the client height less 128 s). The list's font is 10 s
// pixels and its lines elide in the middle.
//
// Entry points: ListDialogControls, CreateListDialog.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QString>

#include "ui/handset_frame.h"
#include "ui/skin_panel.h"
#include "ui/ui_context.h"

namespace kv {

struct ListDialogControls {
  QLabel* status = nullptr;  // both null when the layout could not be made
  QListWidget* list = nullptr;
};

// Lays `dialog` out over `owner` with soft keys from menu `softKeyMenu`;
// `titlePanel` becomes the banner.
ListDialogControls CreateListDialog(QDialog& dialog, const UiContext& context, const QString& title,
                                    int softKeyMenu, const CommandHandler& onCommand,
                                    QWidget* owner, SkinPanel& titlePanel);

}  // namespace kv
