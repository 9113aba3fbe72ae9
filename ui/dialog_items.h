// The controls of a dialog layout (resources/dialog_layouts.h) as Qt
// widgets, placed by turning dialog units into pixels, and where every
// dialog's title caption sits.
//
// Entry points: DialogUnitsToPixels, CreateDialogItems, IconPixmap,
// DialogFontPixels.
// A dialog unit is 5/4 pixel across and 3/2 pixel down at scale 1 (the
// 9-point dialog font on the handset's 240-pixel screen), times the scale.
// Each control's object name is its identifier, so that a dialog finds the
// controls it re-lays or fills at run time; a control without identifier
// has none.
#pragma once

#include <QPixmap>
#include <QRect>
#include <QWidget>

#include "resources/dialog_layouts.h"
#include "resources/icons.h"

namespace kv {

// Where a dialog's title panel draws its caption, in design pixels, and the
// caption's size in points: the same in every dialog so that they look alike.
constexpr int kCaptionDesignX = 12;
constexpr int kCaptionDesignY = 4;
constexpr int kCaptionPoints = 12;

QRect DialogUnitsToPixels(const DialogItem& item, float scale);

// The dialog font's pixel size at `scale`.
int DialogFontPixels(float scale);

// Makes every control of `layout` as a child of `parent`.
void CreateDialogItems(QWidget* parent, const DialogLayout& layout, float scale);

// The icon drawn at `size`, each of its pixels a square block.
QPixmap IconPixmap(const IconResource& icon, QSize size);

}  // namespace kv
