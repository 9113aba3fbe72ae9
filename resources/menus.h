// The program's menu resources 4, 130, 131 and 132: the soft-key bars of
// the About box, the main window, the scan dialog and the quarantine dialog.
//
// Entry points: MenuItem, MenuResource, FindMenu.
// A menu resource's top-level items are the two soft keys, left then right;
// a key that is a pop-up opens its items as a menu. Texts keep the
// handset's "&" mnemonics; the GUI shows them as its toolkit does.
#pragma once

#include <span>
#include <string_view>

namespace kv {

enum class MenuItemKind { kCommand, kPopup, kSeparator };

struct MenuItem {
  MenuItemKind kind = MenuItemKind::kSeparator;
  int command = 0;  // kCommand only
  std::u16string_view text;
  std::span<const MenuItem> items;  // kPopup only
};

struct MenuResource {
  int id = 0;
  std::span<const MenuItem> keys;  // left soft key, right soft key
};

// The menu resource `id`, or null when the program has none by that number.
const MenuResource* FindMenu(int id);

}  // namespace kv
