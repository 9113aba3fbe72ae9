// RunTarnwatch: the program's entry function, from the host's arguments to
// the exit code.
//
// Start-up order, as on the handset: the application record, the database,
// the ScanStatus watch, then the run mode the command line chooses: the
// interactive program (none, "-hide"), the silent self scan ("-autoch..."),
// the background scan ("-hideandscan") or the CAB check (anything else).
// "--help" and "--version", alone, are answered as Linux programs answer
// them; no handset argument looks like either.
//
// The interactive program and the Qt face of the message boxes live above
// the entry, in the GUI; the program's main hands them in (WindowSystem),
// so that this layer never needs Qt. The self scan and the CAB check show
// their boxes in Qt when a display can be reached, on the console
// otherwise ($KESTRELVOX_UI = console or gui forces one); the background
// scan shows none.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/app_context.h"

namespace kv {

// A run mode given the message boxes it is to use; its result is the exit
// code.
using SilentRun = std::function<int(MessageBoxes& boxes)>;

struct WindowSystem {
  // Runs the interactive program on the opened record; `hide` for "-hide".
  // Empty: a build without the window, which says so and ends with 1.
  std::function<int(AppContext& context, bool hide)> interactive;
  // Runs a silent mode with Qt message boxes. Empty: console boxes only.
  std::function<int(const SilentRun& run)> withQtBoxes;
};

int RunTarnwatch(const std::vector<std::string>& arguments, const WindowSystem& windowSystem);

}  // namespace kv
