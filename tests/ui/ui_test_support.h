// Helpers of the GUI tests: a device prefix holding the skin bundle the
// build drew, loaded as the program loads it; stylus events; finding a
// control and clicking a soft key.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <string>

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
    loaded_ = skin_.Load(Store());
  }
  bool SkinLoaded() const { return loaded_; }

 private:
  ui::SkinLibrary skin_;
  bool loaded_ = false;
};

inline ui::UiContext ContextFor(int width, int height, platform::MessageBoxes& boxes) {
  return ui::UiContext{ui::HandsetScreen{width, height}, boxes};
}

// A stylus event at `point` of `widget`, held from the press to the release.
inline void SendStylus(QWidget* widget, QEvent::Type type, QPoint point) {
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent event(type, point, widget->mapToGlobal(point), button, held, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

// The child of `root` of control identifier `id`, or null.
template <typename T>
T* FindControl(QWidget* root, int id) {
  return root->findChild<T*>(QString::number(id));
}

// Clicks the soft key of `command` in `window`; false when there is none.
inline bool ClickSoftKey(QWidget* window, int command) {
  auto* key = FindControl<QAbstractButton>(window, command);
  if (key == nullptr) return false;
  key->click();
  return true;
}

}  // namespace kv::testing
