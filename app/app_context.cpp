// The start-up steps before the run mode is chosen. A database that cannot
// be loaded and a watch that cannot be registered are no reason to stop:
// the scans run with what the loader left, and a background scan then
// cannot be stopped from outside.
#include "app/app_context.h"

#include <utility>

#include "app/settings.h"
#include "scan/run_scan.h"

namespace kv {

bool OpenAppContext(const std::filesystem::path& prefix, AppContext& context) {
  Result<Store> opened = Store::Open(prefix);
  if (!opened.Ok()) return false;
  context.store = std::move(opened.value);
  context.hive.emplace(HivePath(context.store));
  (void)context.database.Reload(context.store, DefaultScanThreads());
  (void)context.scanStatusWatch.Start(*context.hive, [&context] {
    OnScanStatusChanged(*context.hive, context.backgroundScanStop);
  });
  return true;
}

}  // namespace kv
