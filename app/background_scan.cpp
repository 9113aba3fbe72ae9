// The background scan. The flag is set before the walk and stopped by the
// ScanStatus callback on the watch's thread, which also cancels the search
// in progress; only a walk that still finds it set at its end reports
// completion.
#include "app/background_scan.h"

#include "app/exit_codes.h"
#include "app/settings.h"
#include "platform/engine_thread.h"
#include "scan/directory_walk.h"
#include "scan/file_matcher.h"

namespace kv::app {

int RunBackgroundScan(AppContext& context) {
  context.backgroundScanActive.Set();
  const std::shared_ptr<const SignatureDatabase> database = context.database.Current();
  FileMatcher matcher(context.store, *database, &context.backgroundScanActive.Cancel());
  platform::RunOnEngineThread(
      [&] { (void)SilentScanWalk(context.store, matcher, context.backgroundScanActive, u""); });
  if (context.backgroundScanActive.IsSet()) {
    context.backgroundScanActive.Clear();
    (void)WriteRegistryDword(*context.hive, platform::RegistryRoot::kLocalMachine, kKestrelvoxKey,
                             kScanStatusValue, kScanStatusFinished);
  }
  return kExitSilentMode;
}

}  // namespace kv::app
