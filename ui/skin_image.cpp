// Decoding and drawing one skin picture.
#include "ui/skin_image.h"

#include <QImage>

namespace kv {

QString SkinImage::ResourcePath(int imageId) {
  return QStringLiteral(":/PNG/") + QString::number(imageId);
}

bool SkinImage::Draw(int imageId, QPainter& painter, const QRect& target) const {
  QImage image;
  if (!image.load(ResourcePath(imageId), "PNG")) return false;
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(target, image);
  painter.restore();
  return true;
}

}  // namespace kv
