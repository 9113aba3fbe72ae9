// SkinPanel: a banner drawn from one skin picture with a caption over it,
// the title of the main window, the scan dialog and the About box.
//
// Entry points: SkinPanel (SetCaption, Create, Widget), SkinPanelWidget.
// Callers set the caption before Create. The caption (at most 63
// characters) is drawn in the face of string 6600 ("Tahoma"), normal
// weight, LOGPIXELSY x size / 72 pixels high (the handset's LOGPIXELSY:
// the host's times the scale, as a 480-pixel handset reports 192 where a
// 240-pixel one reports 96), on one line from its offset
// to the panel's right edge, top-aligned, ending in an ellipsis when it
// does not fit. The font is made for each painting and dropped after it.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "ui/skin_image.h"

namespace kv {

struct PanelCaption {
  QString text;
  int textX = 0;
  int textY = 0;
  int fontSize = 0;
};

// The banner picture of the main window and the scan dialog: 6565 for a
// client area taller than 320 pixels, else 6566. The Chinese pictures (6541,
// 6563) go with a Chinese product name in the string table, which this
// program's table does not have.
int TitleBannerImage(bool tall);

class SkinPanelWidget final : public QWidget {
 public:
  SkinPanelWidget(QWidget* parent, int imageId, PanelCaption caption, float scale);

  const PanelCaption& Caption() const { return caption_; }
  int CaptionPixelHeight() const;
  // The caption as the last painting drew it (with its ellipsis, if cut).
  const QString& LastDrawnCaption() const { return lastDrawnCaption_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const int imageId_;
  const PanelCaption caption_;
  const float scale_;
  SkinImage image_;
  QString lastDrawnCaption_;
};

class SkinPanel {
 public:
  static constexpr int kMaxCaptionLength = 63;

  SkinPanel() = default;
  SkinPanel(const SkinPanel&) = delete;
  SkinPanel& operator=(const SkinPanel&) = delete;
  ~SkinPanel();

  // Keeps at most kMaxCaptionLength characters of `text`.
  void SetCaption(const QString& text, int textX, int textY, int fontSize);

  // Makes the panel's widget, a visible child of `parent` at `rect`, with
  // `controlId` as its object name; `scale` is the screen's (see
  // CaptionPixelHeight).
  [[nodiscard]] bool Create(QWidget* parent, const QRect& rect, int controlId, int imageId,
                            float scale = 1.0f);

  SkinPanelWidget* Widget() const { return widget_; }

 private:
  PanelCaption caption_;
  QPointer<SkinPanelWidget> widget_;
};

}  // namespace kv
