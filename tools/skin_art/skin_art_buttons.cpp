// The main window's button pictures: a rounded plate with a round badge
// holding the command's symbol on the left, in the caption's indent. The
// tall set has a glossy plate and a raised badge; the short set, for small
// screens, a flatter plate with the symbol alone, so that it stays legible
// when scaled to half size. The pressed pictures are darker and their
// symbol sits one pixel lower, as if pushed in.
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "tools/skin_art/skin_art.h"

namespace kv::skin_art {
namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 66;
constexpr QPointF kSymbolCentre{45, 33};

const QColor kInk{0x14, 0x36, 0x5c};

void DrawMemory(QPainter& painter) {
  // A chip with four pins on each side.
  painter.setPen(QPen(kInk, 3));
  for (int i = 0; i < 4; ++i) {
    const qreal offset = -10.5 + i * 7;
    painter.drawLine(QPointF(-17, offset), QPointF(-11, offset));
    painter.drawLine(QPointF(11, offset), QPointF(17, offset));
  }
  painter.setBrush(kInk);
  painter.drawRoundedRect(QRectF(-11, -15, 22, 30), 3, 3);
  painter.setBrush(Qt::white);
  painter.setPen(Qt::NoPen);
  painter.drawEllipse(QPointF(-5, -9), 2.5, 2.5);
}

void DrawFull(QPainter& painter) {
  // A magnifying glass.
  painter.setPen(QPen(kInk, 4));
  painter.setBrush(QColor(255, 255, 255, 160));
  painter.drawEllipse(QPointF(-4, -4), 10, 10);
  painter.setPen(QPen(kInk, 6, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(4, 4), QPointF(14, 14));
}

void DrawFast(QPainter& painter) {
  // A lightning bolt.
  QPainterPath bolt;
  bolt.moveTo(4, -18);
  bolt.lineTo(-10, 3);
  bolt.lineTo(-1, 3);
  bolt.lineTo(-5, 18);
  bolt.lineTo(10, -4);
  bolt.lineTo(1, -4);
  bolt.closeSubpath();
  painter.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(QColor(0xff, 0xc8, 0x2e));
  painter.drawPath(bolt);
}

void DrawLog(QPainter& painter) {
  // A page with lines of text.
  painter.setPen(QPen(kInk, 2.5));
  painter.setBrush(Qt::white);
  painter.drawRoundedRect(QRectF(-12, -16, 24, 32), 2, 2);
  painter.setPen(QPen(kInk, 2.5, Qt::SolidLine, Qt::RoundCap));
  for (int i = 0; i < 4; ++i) {
    const qreal y = -9 + i * 6;
    painter.drawLine(QPointF(-7, y), QPointF(i == 3 ? 2 : 7, y));
  }
}

void DrawSymbol(QPainter& painter, ButtonSymbol symbol) {
  switch (symbol) {
    case ButtonSymbol::kMemory:
      DrawMemory(painter);
      break;
    case ButtonSymbol::kFull:
      DrawFull(painter);
      break;
    case ButtonSymbol::kFast:
      DrawFast(painter);
      break;
    case ButtonSymbol::kLog:
      DrawLog(painter);
      break;
  }
}

void DrawPlate(QPainter& painter, ButtonSet set, bool pressed) {
  const bool tall = set == ButtonSet::kTall;
  const QRectF plate(1.5, 1.5, kWidth - 3, kHeight - 3);
  QLinearGradient fill(0, 0, 0, kHeight);
  if (pressed) {
    fill.setColorAt(0, QColor(0x9c, 0xc4, 0xee));
    fill.setColorAt(1, QColor(0x5e, 0x97, 0xd6));
  } else if (tall) {
    fill.setColorAt(0, QColor(0xfb, 0xfd, 0xff));
    fill.setColorAt(0.5, QColor(0xe6, 0xf0, 0xfb));
    fill.setColorAt(0.51, QColor(0xd6, 0xe6, 0xf8));
    fill.setColorAt(1, QColor(0xc4, 0xda, 0xf3));
  } else {
    fill.setColorAt(0, QColor(0xf2, 0xf7, 0xfd));
    fill.setColorAt(1, QColor(0xd9, 0xe7, 0xf7));
  }
  painter.setPen(QPen(pressed ? QColor(0x2d, 0x5f, 0x96) : QColor(0x5b, 0x8f, 0xc7), 3));
  painter.setBrush(fill);
  const qreal radius = tall ? 16 : 8;
  painter.drawRoundedRect(plate, radius, radius);
}

void DrawBadge(QPainter& painter, bool pressed) {
  QLinearGradient fill(0, -24, 0, 24);
  fill.setColorAt(0, pressed ? QColor(0xd8, 0xe8, 0xfa) : Qt::white);
  fill.setColorAt(1, pressed ? QColor(0x9d, 0xc3, 0xec) : QColor(0xc9, 0xdd, 0xf5));
  painter.setPen(QPen(QColor(0x5b, 0x8f, 0xc7), 2));
  painter.setBrush(fill);
  painter.drawEllipse(QPointF(0, 0), 25, 25);
}

}  // namespace

QImage PaintButton(ButtonSymbol symbol, ButtonSet set, bool pressed) {
  QImage image(kWidth, kHeight, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  DrawPlate(painter, set, pressed);
  painter.translate(kSymbolCentre + QPointF(0, pressed ? 1 : 0));
  if (set == ButtonSet::kTall) DrawBadge(painter, pressed);
  DrawSymbol(painter, symbol);
  return image;
}

}  // namespace kv::skin_art
