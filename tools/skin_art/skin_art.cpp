// The list of the skin's pictures by identifier, and the dispatch to the
// painter of each kind.
#include "tools/skin_art/skin_art.h"

#include <array>

namespace kv::skin_art {
namespace {

using Kind = SkinPicture::Kind;

constexpr SkinPicture Button(int id, ButtonSymbol symbol, ButtonSet set) {
  return {id, Kind::kButton, symbol, set, {}};
}
constexpr SkinPicture Pressed(int id, ButtonSymbol symbol, ButtonSet set) {
  return {id, Kind::kPressedButton, symbol, set, {}};
}
constexpr SkinPicture Banner(int id, BannerStyle style) {
  return {id, Kind::kBanner, {}, {}, style};
}

constexpr std::array kPictures = {
    Button(6535, ButtonSymbol::kMemory, ButtonSet::kTall),
    Pressed(6536, ButtonSymbol::kMemory, ButtonSet::kTall),
    Button(6533, ButtonSymbol::kFull, ButtonSet::kTall),
    Pressed(6534, ButtonSymbol::kFull, ButtonSet::kTall),
    Button(6531, ButtonSymbol::kFast, ButtonSet::kTall),
    Pressed(6532, ButtonSymbol::kFast, ButtonSet::kTall),
    Button(6537, ButtonSymbol::kLog, ButtonSet::kTall),
    Pressed(6538, ButtonSymbol::kLog, ButtonSet::kTall),
    Button(6559, ButtonSymbol::kMemory, ButtonSet::kShort),
    Pressed(6560, ButtonSymbol::kMemory, ButtonSet::kShort),
    Button(6557, ButtonSymbol::kFull, ButtonSet::kShort),
    Pressed(6558, ButtonSymbol::kFull, ButtonSet::kShort),
    Button(6555, ButtonSymbol::kFast, ButtonSet::kShort),
    Pressed(6556, ButtonSymbol::kFast, ButtonSet::kShort),
    Button(6561, ButtonSymbol::kLog, ButtonSet::kShort),
    Pressed(6562, ButtonSymbol::kLog, ButtonSet::kShort),
    Banner(6565, BannerStyle::kEnglishTall),
    Banner(6566, BannerStyle::kEnglishShort),
    Banner(6541, BannerStyle::kChineseTall),
    Banner(6563, BannerStyle::kChineseShort),
    SkinPicture{5370, Kind::kAboutTitle, {}, {}, {}},
};

}  // namespace

std::span<const SkinPicture> SkinPictures() { return kPictures; }

QImage PaintSkinPicture(const SkinPicture& picture) {
  switch (picture.kind) {
    case Kind::kButton:
      return PaintButton(picture.symbol, picture.set, false);
    case Kind::kPressedButton:
      return PaintButton(picture.symbol, picture.set, true);
    case Kind::kBanner:
      return PaintBanner(picture.banner);
    case Kind::kAboutTitle:
      return PaintAboutTitle();
  }
  return {};
}

}  // namespace kv::skin_art
