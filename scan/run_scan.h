// RunScan: one whole scan, chosen by its mode, from its ScanStarted event to
// its ScanFinished event.
//
// Entry point: RunScan. The scan dialog runs it on a scan thread of its
// own (an EngineThread: the pattern engine needs its stack); the silent
// self scan and the background scan run it on an engine thread and wait.
// Modes: memory scan (0), fast scan (1: memory scan, then the
// file-signature pass), full scan (2: ScanCounted from a count of the
// store's files by name, then the whole store), log view (3:
// nothing to scan), silent self scan (4: as the fast scan, with a box for
// each removal), background scan (5: the whole store, no window).
//
// Without a character signature no file can be checked: the full and
// background scans then walk nothing and the file-signature pass is not
// run; the note kDatabaseNotLoaded says so. Every failure of the host that
// escapes a step (memory exhausted, say) ends the scan with the note
// kScanFailed instead of ending the process.
#pragma once

#include <memory>

#include "database/signature_database.h"
#include "platform/store.h"
#include "scan/scan_events.h"
#include "scan/scan_outputs.h"
#include "scan/stop_token.h"

namespace kv {

enum class ScanOutcome : int {
  kFinished = 0,     // the scan ran to its end
  kStopped = -1,     // the stop token stopped the store walk
  kNoDatabase = -2,  // it ran without a character signature: no file was checked
  kFailed = -3,      // the host failed under it (kScanFailed)
};

// Runs the scan of `mode` over `database`, which it holds until it returns,
// so that a reload meanwhile does not disturb it (a null snapshot is an
// empty one). `stop` is read before every entry of a store walk, whose
// files `threads` threads check (the events are the same for any number);
// a pause holds every step before its next file and its next removal.
[[nodiscard]] ScanOutcome RunScan(const Store& store,
                                  std::shared_ptr<const SignatureDatabase> database, ScanMode mode,
                                  const StopToken& stop, ScanEvents& events,
                                  const ScanOutputs& outputs, unsigned threads = 1);

// The processors the process may run on, at least 1: the store walks'
// default.
unsigned DefaultScanThreads();

}  // namespace kv
