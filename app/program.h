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
// The interactive program lives above the entry, in the GUI; the program's
// main hands it in (InteractiveStart), so that this layer never needs Qt.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/app_context.h"

namespace kv::app {

// Runs the interactive program on the opened record; `hide` for "-hide".
// Its result is the exit code.
using InteractiveStart = std::function<int(AppContext& context, bool hide)>;

// `interactive` empty: a build without the window, which says so and ends
// with 1 for an interactive start.
int RunTarnwatch(const std::vector<std::string>& arguments, const InteractiveStart& interactive);

}  // namespace kv::app
