// tarnwatch's window module: the GUI with Qt, and the database update with
// libcurl behind it, which only the window starts. The kv libraries it
// calls below the GUI are the program's own, exported by it, so that
// process-wide state (the store's share modes, the fault seam) exists once.
#include <type_traits>

#include "tools/tarnwatch/window_entry.h"
#include "ui/run_interactive.h"
#include "ui/run_with_qt_boxes.h"
#include "update/database_update.h"

extern "C" __attribute__((visibility("default"))) void kv_tarnwatch_fill_window_system(
    kv::WindowSystem& windowSystem) {
  windowSystem.interactive = [](kv::AppContext& context, bool hide) {
    kv::InteractiveContext gui{context.store, context.database, *context.hive,
                               &context.scanStatusWatch, kv::UpdateServerFromEnvironment()};
    return kv::RunInteractive(gui, hide);
  };
  windowSystem.withQtBoxes = [](const kv::SilentRun& run) {
    return kv::RunWithQtMessageBoxes(run);
  };
}

static_assert(
    std::is_same_v<decltype(kv_tarnwatch_fill_window_system), kv::tarnwatch::FillWindowSystem>);
