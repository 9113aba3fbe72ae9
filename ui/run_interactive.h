// RunInteractive: the interactive program, started with no argument or
// with "-hide": one instance per prefix, the skin, the main window and its
// loop until the program ends. Qt stays behind this header, so the entry
// calls it without knowing Qt.
//
// Entry points: InteractiveContext, RunInteractive.
//
// Exit codes: the loop's (1 when the window system closes the main window;
// Exit ends the process itself with 0); 0 when the skin bundle is missing,
// with nothing shown; 1 when another interactive instance runs (it is
// brought forward unless "-hide"); 1 with a one-line message when there is
// no display to show the window on; a negative code (E_FAIL, E_INVALIDARG)
// when the single-instance check fails.
#pragma once

#include <string>

#include "database/published_database.h"
#include "platform/store.h"
#include "registry/hive.h"
#include "registry/watch.h"

namespace kv {

// What the entry has set up and hands over.
struct InteractiveContext {
  const Store& store;
  PublishedDatabase& database;  // loaded by the entry
  RegistryHive& hive;
  // The ScanStatus watch, stopped by Exit; null when none was registered.
  RegistryWatch* scanStatusWatch = nullptr;
  // $KESTRELVOX_UPDATE_URL as read once by the entry; empty: no server.
  std::string updateServer;
};

// Runs the interactive program; `hide` for "-hide" (the window starts
// minimised and an instance already running is left alone).
int RunInteractive(InteractiveContext& context, bool hide);

}  // namespace kv
