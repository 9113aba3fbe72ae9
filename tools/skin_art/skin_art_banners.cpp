// The banners of the main window and the scan dialog, and the About box's
// title strip. A banner is a deep blue band with the program's shield and
// name; the tall pictures add a tag line, the short ones (for small
// screens) keep the name alone and larger. There is only an English string
// table, so the Chinese pictures carry the same name on a green band: the
// identifiers exist and a Chinese build would replace them. The About title
// is a plain light band, since the box draws its caption over it in black.
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "tools/skin_art/skin_art.h"

namespace kv::skin_art {
namespace {

constexpr int kBannerWidth = 480;
constexpr int kBannerHeight = 80;
constexpr int kAboutTitleHeight = 56;

void FillBand(QPainter& painter, const QRect& rect, QColor top, QColor bottom) {
  QLinearGradient fill(0, rect.top(), 0, rect.bottom());
  fill.setColorAt(0, top);
  fill.setColorAt(1, bottom);
  painter.fillRect(rect, fill);
  painter.setPen(QPen(QColor(255, 255, 255, 90), 2));
  painter.drawLine(rect.left(), rect.top() + 1, rect.right(), rect.top() + 1);
  painter.setPen(QPen(QColor(0, 0, 0, 110), 3));
  painter.drawLine(rect.left(), rect.bottom() - 1, rect.right(), rect.bottom() - 1);
}

void DrawShield(QPainter& painter, QPointF centre, qreal size) {
  QPainterPath shield;
  const qreal w = size * 0.42;
  shield.moveTo(centre + QPointF(0, -size / 2));
  shield.cubicTo(centre + QPointF(w * 0.6, -size * 0.42), centre + QPointF(w, -size * 0.4),
                 centre + QPointF(w, -size * 0.36));
  shield.cubicTo(centre + QPointF(w, size * 0.1), centre + QPointF(w * 0.5, size * 0.35),
                 centre + QPointF(0, size / 2));
  shield.cubicTo(centre + QPointF(-w * 0.5, size * 0.35), centre + QPointF(-w, size * 0.1),
                 centre + QPointF(-w, -size * 0.36));
  shield.cubicTo(centre + QPointF(-w, -size * 0.4), centre + QPointF(-w * 0.6, -size * 0.42),
                 centre + QPointF(0, -size / 2));
  painter.setPen(QPen(Qt::white, 3));
  painter.setBrush(QColor(0x2f, 0x7f, 0xd8));
  painter.drawPath(shield);
  QPainterPath tick;
  tick.moveTo(centre + QPointF(-w * 0.5, 0));
  tick.lineTo(centre + QPointF(-w * 0.1, size * 0.18));
  tick.lineTo(centre + QPointF(w * 0.55, -size * 0.2));
  painter.setPen(QPen(Qt::white, size * 0.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(tick);
}

QFont BannerFont(int pixelSize, bool bold) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

}  // namespace

QImage PaintBanner(BannerStyle style) {
  const bool chinese = style == BannerStyle::kChineseTall || style == BannerStyle::kChineseShort;
  const bool tall = style == BannerStyle::kEnglishTall || style == BannerStyle::kChineseTall;
  QImage image(kBannerWidth, kBannerHeight, QImage::Format_ARGB32);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  const QRect band(0, 0, kBannerWidth, kBannerHeight);
  if (chinese) {
    FillBand(painter, band, QColor(0x2f, 0x8a, 0x5a), QColor(0x12, 0x4a, 0x30));
  } else {
    FillBand(painter, band, QColor(0x2b, 0x5f, 0xa8), QColor(0x10, 0x2c, 0x58));
  }
  DrawShield(painter, QPointF(40, 40), 54);
  painter.setPen(Qt::white);
  if (tall) {
    painter.setFont(BannerFont(32, true));
    painter.drawText(QRect(80, 6, 390, 40), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Kestrelvox"));
    painter.setPen(QColor(0xbf, 0xdb, 0xff));
    painter.setFont(BannerFont(17, false));
    painter.drawText(QRect(82, 44, 390, 28), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Anti-Virus for your handset"));
  } else {
    painter.setFont(BannerFont(38, true));
    painter.drawText(QRect(80, 0, 390, 80), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Kestrelvox"));
  }
  return image;
}

QImage PaintAboutTitle() {
  QImage image(kBannerWidth, kAboutTitleHeight, QImage::Format_ARGB32);
  QPainter painter(&image);
  FillBand(painter, QRect(0, 0, kBannerWidth, kAboutTitleHeight), QColor(0xf4, 0xf9, 0xff),
           QColor(0xbf, 0xd7, 0xf2));
  return image;
}

}  // namespace kv::skin_art
