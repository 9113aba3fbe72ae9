// The main window's accelerator table 128: keys that send a command as its
// menu item would.
//
// Entry points: Accelerator, FindAccelerators.
// The handset's table is ours to fill; it gives the four scans and the log
// Ctrl+letter keys matching their menu mnemonics, so a keyboard reaches
// them without opening the menu.
#pragma once

#include <span>

namespace kv {

struct Accelerator {
  char key = 0;  // an upper-case letter, pressed with Ctrl
  int command = 0;
};

// The table `id`; empty when the program has none by that number.
std::span<const Accelerator> FindAccelerators(int id);

}  // namespace kv
