// HandsetFrame: lays a top-level widget out as a full-screen window of the
// handset: the title strip at the top (the window's title, and for dialogs
// the caption's "ok" button, which sends the OK command), the client area,
// and the place of the soft-key bar at the bottom.
//
// Entry points: CommandHandler, HandsetFrame.
// The main window and both dialogs are exactly the handset screen's size,
// so a dialog covers the main window as on the handset. The frame's widgets
// are children of the window and live as long as it does.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>

#include "ui/handset_screen.h"

namespace kv {

// Receives a window's commands by identifier (resources/command_ids.h),
// from its soft keys, menu, buttons and accelerators.
using CommandHandler = std::function<void(int command)>;

class HandsetFrame {
 public:
  // Sizes `window` to the screen and makes the strip, client area and
  // soft-key place. With `okCommand`, the strip carries an "ok" button that
  // calls it with the OK command.
  HandsetFrame(QWidget& window, const HandsetScreen& screen, const QString& title,
               CommandHandler okCommand = {});

  // The client area, where the window puts its own controls.
  QWidget* Client() const { return client_; }
  // Where CreateSoftKeyBar puts the window's soft-key bar.
  QWidget* SoftKeyPlace() const { return softKeyPlace_; }

 private:
  QWidget* client_ = nullptr;
  QWidget* softKeyPlace_ = nullptr;
};

// The pixel size of the frame's texts (title, soft keys) at `scale`.
int FrameFontPixels(float scale);

}  // namespace kv
