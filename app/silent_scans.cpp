// The silent scans over RunScan. A stop token is made for the self scan,
// which nothing stops; the background scan's belongs to the record, whose
// watch may stop it before the scan has even begun.
#include "app/silent_scans.h"

#include "app/exit_codes.h"
#include "app/settings.h"
#include "log/scan_records.h"
#include "platform/console_message_boxes.h"
#include "platform/engine_thread.h"
#include "scan/run_scan.h"

namespace kv {
namespace {

ScanOutcome RunWithoutWindow(AppContext& context, ScanMode mode, const StopToken& stop,
                             MessageBoxes& boxes) {
  ScanRecords records(context.store);
  ScanEvents events;
  records.ObserveWith(events);
  const HostClock clock;
  const ScanOutputs outputs{boxes, nullptr, clock};
  ScanOutcome outcome = ScanOutcome::kFailed;
  RunOnEngineThread([&] {
    outcome = RunScan(context.store, context.database.Current(), mode, stop, events, outputs,
                      DefaultScanThreads());
  });
  return outcome;
}

}  // namespace

int RunSelfScan(AppContext& context) {
  const StopToken neverStopped;
  (void)RunWithoutWindow(context, ScanMode::kSilentSelf, neverStopped, *context.boxes);
  return kExitSilentMode;
}

int RunBackgroundScan(AppContext& context) {
  ConsoleMessageBoxes noBoxes;  // the background scan shows none
  const ScanOutcome outcome =
      RunWithoutWindow(context, ScanMode::kBackground, context.backgroundScanStop, noBoxes);
  std::uint32_t status = kScanStatusFinished;
  switch (outcome) {
    case ScanOutcome::kFinished:
      break;
    case ScanOutcome::kNoDatabase:
      status = kScanStatusNoDatabase;
      break;
    case ScanOutcome::kStopped:
    case ScanOutcome::kFailed:
      return kExitSilentMode;  // a stopped or failed scan tells nothing
  }
  // A stop that came after the walk's last look still counts as a stop;
  // from here on none can, and the watch's removal overlaps the write.
  context.scanStatusWatch.Stop();
  if (context.backgroundScanStop.IsStopped()) return kExitSilentMode;
  (void)WriteRegistryDword(*context.hive, RegistryRoot::kLocalMachine, kKestrelvoxKey,
                           kScanStatusValue, status);
  return kExitSilentMode;
}

}  // namespace kv
