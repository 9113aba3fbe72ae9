// Helpers of the GUI tests: a device prefix holding the skin bundle the
// build drew, loaded as the program loads it; stylus events; pressing a
// soft key.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QWidget>
#include <stdexcept>

#include "support/scan_recorders.h"
#include "support/temp_files.h"
#include "ui/skin_library.h"
#include "ui/ui_context.h"

namespace kv::testing {

// A fresh prefix with mainskin.dll in its store, loaded.
class SkinnedPrefix : public TempPrefix {
 public:
  SkinnedPrefix() {
    WriteStoreFile("Program Files/Quellbrin/mainskin.dll", ReadFile(KV_SKIN_BUNDLE_PATH));
    if (!skin_.Load(Store())) throw std::runtime_error("cannot load the skin bundle");
  }

 private:
  SkinLibrary skin_;
};

// A stylus event at `point` of `widget`, held from the press to the release.
inline void SendStylus(QWidget* widget, QEvent::Type type, QPoint point) {
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent event(type, point, widget->mapToGlobal(point), button, held, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

// Sends `command` from the soft keys of `window`: a key's click, or an item
// of the pop-up key's menu; false when neither has it.
inline bool PressSoftKey(QWidget* window, int command) {
  if (auto* key = window->findChild<QAbstractButton*>(QString::number(command))) {
    key->click();
    return true;
  }
  auto* popup = window->findChild<QPushButton*>(QStringLiteral("popup"));
  for (QAction* action : popup == nullptr ? QList<QAction*>() : popup->menu()->actions()) {
    if (action->data().toInt() != command) continue;
    action->trigger();
    return true;
  }
  return false;
}

}  // namespace kv::testing
