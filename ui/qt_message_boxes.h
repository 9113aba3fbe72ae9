// QtMessageBoxes: the message boxes' face in the GUI. A box is a modal Qt
// message box over its owner; the caller waits for the answer.
//
// Entry point: QtMessageBoxes::Show.
// Any thread may ask: a box asked for on another thread (the scan thread's
// questions) is shown on the GUI thread through a blocking queued call, so
// the asking thread waits while the GUI shows it, and the GUI thread, the
// only one that may touch widgets, is never blocked by it. The owner is the
// QWidget that owns the box (null: the box stands alone). A box closed
// without a button (Escape, the window's close) answers its most cautious
// button: Cancel, else No, else OK. The normal cursor shows over a box,
// even while the program waits with the wait cursor.
//
// A box fits the handset screen: its text in the frame's font for the
// screen's scale, wrapped, and the box never wider than the screen (Qt
// would size it by the host's display, 391 pixels for a question on a
// 240-pixel handset). A word longer than a line, a path say, is cut at the
// box's edge rather than widen it.
#pragma once

#include <QMessageBox>

#include "platform/message_boxes.h"
#include "ui/handset_screen.h"

namespace kv {

class QtMessageBoxes final : public MessageBoxes {
 public:
  explicit QtMessageBoxes(HandsetScreen screen = ScreenFromEnvironment()) : screen_(screen) {}

  MessageAnswer Show(MessageOwner owner, std::u16string_view text, std::u16string_view caption,
                     MessageButtons buttons, MessageIcon icon) override;

 private:
  HandsetScreen screen_;
};

// The QWidget a MessageOwner names (null for none).
QWidget* OwnerWidget(MessageOwner owner);

}  // namespace kv
