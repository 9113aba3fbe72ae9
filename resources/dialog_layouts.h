// The program's dialog layouts 100 (the About box) and 130 (the scan and
// log dialog), in dialog units as the handset's templates gave them.
//
// Entry points: DialogItemKind, DialogItem, DialogLayout, FindDialogLayout,
// kDialogFontPoints.
// A dialog unit is a quarter of the dialog font's average character width
// across and an eighth of its height down; the GUI turns units into pixels
// at the screen's scale. Both dialogs run maximised, so their own width
// and height matter only as the design's frame. The texts are shown as the
// layout holds them; no code changes them (the About box's database
// version line is fixed text).
#pragma once

#include <span>
#include <string_view>

namespace kv {

enum class DialogItemKind {
  kIcon,          // an icon resource, centred in its rectangle
  kText,          // static text, may wrap
  kBorderedText,  // static text with a border (the scan dialog's status line)
  kListView,      // report view, one column, no header, single selection
};

inline constexpr int kNoControlId = -1;

struct DialogItem {
  int id = kNoControlId;
  DialogItemKind kind = DialogItemKind::kText;
  int x = 0, y = 0, width = 0, height = 0;  // dialog units
  std::u16string_view text;                 // texts only
  int icon = 0;                             // kIcon only: the icon resource
};

struct DialogLayout {
  int id = 0;
  int width = 0, height = 0;  // dialog units
  std::span<const DialogItem> items;
};

// Both templates use a 9-point font.
inline constexpr int kDialogFontPoints = 9;

// The layout `id`, or null when the program has none by that number.
const DialogLayout* FindDialogLayout(int id);

}  // namespace kv
