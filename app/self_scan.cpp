// The self scan runs the scan driver in mode 4 on an engine thread (the
// engine's depth bounds are sized for its stack), with no receiver: its
// hand-over lines go nowhere.
#include "app/self_scan.h"

#include "app/exit_codes.h"
#include "app/store_scan_log.h"
#include "platform/engine_thread.h"
#include "resources/string_table.h"
#include "resources/text_format.h"
#include "scan/run_scan.h"

namespace kv::app {

int RunSelfScan(AppContext& context) {
  ScanSession session;
  session.mode = ScanMode::kSilentSelf;
  StoreScanLog log(context.store);
  const HostClock clock;
  const ScanOutputs outputs{log, *context.boxes, nullptr, clock};
  log.AppendLogRecord(strings::DatedText(strings::LoadString(strings::kSelfScanStarted)));
  // Mode 4 never stops early: its outcome is always "finished".
  platform::RunOnEngineThread(
      [&] { (void)RunScan(context.store, context.database.Current(), session, outputs); });
  log.AppendLogRecord(strings::DatedText(strings::LoadString(strings::kSelfScanFinished)));
  return kExitSilentMode;
}

}  // namespace kv::app
