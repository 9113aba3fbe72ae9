// CreateSoftKeyBar: the soft-key bar of a full-screen window, made from one
// of the program's menu resources (4, 130 or 131): its left key and right
// key; a key that is a pop-up opens its items as a menu. F1 presses the
// left key and F2 the right, anywhere in the window, as the handset's
// soft-key buttons do.
//
// Entry point: CreateSoftKeyBar, SoftKeyMenu.
// When the window has no place for a bar or the menu resource is missing,
// the bar cannot be made: "SHCreateMenuBar Failed" is shown under "Error"
// with an OK button (texts built in, as the handset's were), and the window
// goes on without a bar.
#pragma once

#include <QMenu>
#include <QWidget>

#include "platform/message_boxes.h"
#include "resources/menus.h"
#include "ui/handset_frame.h"

namespace kv {

// Makes the bar of menu `menuId` in `place` (HandsetFrame::SoftKeyPlace),
// its commands going to `onCommand`; null, after the failure box owned by
// `owner`, when it cannot be made.
QWidget* CreateSoftKeyBar(QWidget* place, int menuId, const CommandHandler& onCommand,
                          MessageBoxes& boxes, const QWidget* owner);

// Fills `menu` with the items of a pop-up, sub-menus and separators
// included; each command item calls `onCommand` with its identifier.
void FillSoftKeyMenu(QMenu& menu, std::span<const MenuItem> items, const CommandHandler& onCommand);

}  // namespace kv
