// tarnwatch, the program: hands the arguments to RunTarnwatch, and with
// them the GUI (the interactive program, the Qt message boxes), which the
// entry cannot include.
#include <string>
#include <vector>

#include "app/program.h"
#include "ui/run_interactive.h"
#include "ui/run_with_qt_boxes.h"
#include "update/database_update.h"

int main(int argc, char** argv) {
  kv::WindowSystem windowSystem;
  windowSystem.interactive = [](kv::AppContext& context, bool hide) {
    kv::InteractiveContext gui{context.store, context.database, *context.hive,
                               &context.scanStatusWatch, kv::UpdateServerFromEnvironment()};
    return kv::RunInteractive(gui, hide);
  };
  windowSystem.withQtBoxes = [](const kv::SilentRun& run) {
    return kv::RunWithQtMessageBoxes(run);
  };
  return kv::RunTarnwatch(std::vector<std::string>(argv + 1, argv + argc), windowSystem);
}
