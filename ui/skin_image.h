// SkinImage: draws one skin picture, scaled whole into a target rectangle.
//
// Entry point: SkinImage::Draw.
// Each drawing decodes the PNG afresh from the registered skin bundle
// (skin_library.h) and keeps nothing, as the handset's decoder did: the
// pictures are small and a window draws them rarely.
#pragma once

#include <QPainter>
#include <QRect>
#include <QString>

namespace kv {

class SkinImage {
 public:
  // The resource path of picture `imageId`: /PNG/<identifier>.
  static QString ResourcePath(int imageId);

  // Draws picture `imageId` scaled into `target`; false when the skin has
  // no such picture or it cannot be decoded (nothing is drawn then).
  [[nodiscard]] bool Draw(int imageId, QPainter& painter, const QRect& target) const;
};

}  // namespace kv
