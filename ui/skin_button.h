// SkinButton: a push button drawn from two skin pictures, normal (N) and
// pressed (N + 1), with a bold caption over them, as the main window's four
// command buttons are.
//
// Entry points: SkinButton (Create, Widget), SkinButtonWidget.
// The object is made before its widget and may fail to make one (Create):
// a button created with a negative text indent does not exist. The state
// follows the stylus: 3 (pressed) when it goes down or slides back over the
// button, 1 (normal) when it slides off, 2 (released) when it is lifted; a
// painting with the button not held down resets it to 1. The pressed
// picture shows only while the button is held down and the state is 3.
// The click reaches the owner as QAbstractButton::clicked when the stylus is
// lifted over the button.
//
// Keyboard: the button takes the focus by Tab and by the stylus; the arrow
// keys move it to the next (Down, Right) or previous (Up, Left) control of
// the window, and Return, Enter, Select and Space click it. A button with
// the focus is drawn with a ring inside its edge, so a keyboard user sees
// where it is.
//
// Caption: bold, face "Tahoma", LOGPIXELSY x size / 85 pixels high (85,
// not 72: the handset's buttons draw their captions smaller than points
// would; LOGPIXELSY is the handset's, the host's times the scale), single line, vertically centred,
// from the left edge plus the indent, in a rectangle that starts one scale unit above the button's
// top.
#pragma once

#include <QAbstractButton>
#include <QFont>
#include <QPointer>
#include <optional>

#include "ui/skin_image.h"

namespace kv {

class SkinButtonWidget final : public QAbstractButton {
 public:
  enum class State { kNormal = 1, kReleased = 2, kPressed = 3 };

  SkinButtonWidget(QWidget* parent, int imageId, int fontSize, int textIndent, float scale);

  State ButtonState() const { return state_; }
  // The picture the last painting drew (N or N + 1), whether or not the
  // skin had it; 0 before the first painting.
  int LastImageId() const { return lastImageId_; }
  // Whether the last painting found its picture.
  bool LastImageDrawn() const { return lastImageDrawn_; }
  int CaptionPixelHeight() const;
  QRect CaptionRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  const int imageId_;
  const int fontSize_;
  const int textIndent_;
  const float scale_;
  State state_ = State::kNormal;
  std::optional<QFont> font_;  // made at the first painting, then kept
  SkinImage image_;
  int lastImageId_ = 0;
  bool lastImageDrawn_ = false;
};

class SkinButton {
 public:
  SkinButton() = default;
  SkinButton(const SkinButton&) = delete;
  SkinButton& operator=(const SkinButton&) = delete;
  // Destroys the widget if it still exists.
  ~SkinButton();

  // Makes the button's widget, a visible child of `parent` at `rect` above
  // its siblings, with `caption` as its text and `controlId` as its object
  // name. false, with no widget, when `textIndent` is negative.
  [[nodiscard]] bool Create(QWidget* parent, const QRect& rect, const QString& caption,
                            int controlId, int imageId, int fontSize, int textIndent, float scale);

  // The widget; null before Create or after a failed one.
  SkinButtonWidget* Widget() const { return widget_; }

 private:
  QPointer<SkinButtonWidget> widget_;
};

}  // namespace kv
