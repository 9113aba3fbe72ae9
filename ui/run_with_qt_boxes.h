// RunWithQtMessageBoxes: a silent run (self scan, background scan, CAB
// check) whose message boxes are Qt's, for when a display is reachable.
//
// The run goes on a thread of its own while this thread, the GUI thread,
// runs Qt's loop: every box the run asks for, from whichever of its
// threads, is shown there and its answer handed back. The loop ends when
// the run does.
#pragma once

#include <functional>

#include "platform/message_boxes.h"

namespace kv {

// Returns `run`'s result; ends the process with 1 when the display cannot
// be reached after all.
int RunWithQtMessageBoxes(const std::function<int(MessageBoxes& boxes)>& run);

}  // namespace kv
