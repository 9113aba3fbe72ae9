// The skin's pictures, drawn in code at the resolution of a 480x640 screen
// so that the skin bundle is made reproducibly at build time from source.
//
// Entry points: SkinPicture, SkinPictures, PaintSkinPicture.
// Each picture is one skin identifier: the main window's buttons in the tall
// and the short set (normal N, pressed N + 1), the banners of the main
// window and the scan dialog, and the About box's title. The controls scale
// each picture into their rectangle, so the sizes here are those of a
// 480-pixel screen (scale 2): buttons 400x66, banners 480x80, the About
// title 480x56. The button pictures leave their left 90 pixels (the
// caption's indent) to a symbol and the rest plain for the caption; the
// About title is plain, as its caption is drawn over it.
#pragma once

#include <QImage>
#include <span>

namespace kv::skin_art {

enum class ButtonSymbol { kMemory, kFull, kFast, kLog };
enum class ButtonSet { kTall, kShort };
enum class BannerStyle { kEnglishTall, kEnglishShort, kChineseTall, kChineseShort };

struct SkinPicture {
  int id = 0;
  enum class Kind { kButton, kPressedButton, kBanner, kAboutTitle } kind = Kind::kButton;
  ButtonSymbol symbol = ButtonSymbol::kMemory;
  ButtonSet set = ButtonSet::kTall;
  BannerStyle banner = BannerStyle::kEnglishTall;
};

// Every picture of the skin.
std::span<const SkinPicture> SkinPictures();

QImage PaintSkinPicture(const SkinPicture& picture);

// The parts, one file each.
QImage PaintButton(ButtonSymbol symbol, ButtonSet set, bool pressed);
QImage PaintBanner(BannerStyle style);
QImage PaintAboutTitle();

}  // namespace kv::skin_art
