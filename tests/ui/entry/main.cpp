// kv_test_tarnwatch: a small stand-in for tarnwatch's entry, as far as the
// interactive modes go, for the GUI's end-to-end test: opens the prefix,
// loads the database and hands over to RunInteractive for no argument and
// "-hide". Any other command line ends with 2 (the silent modes are the
// real entry's).
#include <string>
#include <vector>

#include "app/run_mode.h"
#include "platform/registry_hive.h"
#include "platform/store.h"
#include "scan/published_database.h"
#include "ui/run_interactive.h"
#include "update/database_update.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const kv::RunMode mode = kv::ChooseRunMode(kv::JoinArguments(arguments));
  if (mode != kv::RunMode::kInteractive && mode != kv::RunMode::kInteractiveHidden) return 2;
  kv::platform::Store store;
  if (!kv::platform::Store::Open(kv::platform::PrefixFromEnvironment(), store)) return 2;
  kv::PublishedDatabase database;
  (void)database.Reload(store);
  kv::platform::RegistryHive hive(store.PrefixPath() / "system.reg");
  kv::ui::InteractiveContext context{store, database, hive, nullptr,
                                     kv::UpdateServerFromEnvironment()};
  return kv::ui::RunInteractive(context, mode == kv::RunMode::kInteractiveHidden);
}
