// UiContext: what every window and dialog of the GUI lays itself out by and
// asks the user through: the handset screen with its scale factor, the main
// window's client rectangle, and the message boxes.
//
// Entry point: UiContext. One per interactive run, made by RunInteractive;
// the handset kept these fields in its application record.
#pragma once

#include <QRect>

#include "platform/message_boxes.h"
#include "ui/handset_screen.h"

namespace kv {

struct UiContext {
  HandsetScreen screen;
  MessageBoxes& boxes;

  float Scale() const { return screen.Scale(); }
  // Every full-screen window has this client rectangle (the main window's,
  // which the dialogs size their banners by).
  QRect MainClientRect() const { return {0, 0, screen.width, screen.ClientHeight()}; }
};

}  // namespace kv
