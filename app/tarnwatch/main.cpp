// tarnwatch, the program: hands the arguments to RunTarnwatch, and with
// them the interactive program of the GUI, which the entry cannot include.
#include <string>
#include <vector>

#include "app/program.h"
#include "ui/run_interactive.h"
#include "update/database_update.h"

int main(int argc, char** argv) {
  const kv::app::InteractiveStart interactive = [](kv::app::AppContext& context, bool hide) {
    kv::ui::InteractiveContext gui{context.store, context.database, *context.hive,
                                   &context.scanStatusWatch, kv::UpdateServerFromEnvironment()};
    return kv::ui::RunInteractive(gui, hide);
  };
  return kv::app::RunTarnwatch(std::vector<std::string>(argv + 1, argv + argc), interactive);
}
