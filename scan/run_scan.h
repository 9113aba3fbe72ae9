// RunScan: one whole scan, chosen by the session's scan mode, with its
// closing lines.
//
// Entry point: RunScan. The scan dialog runs it on a scan thread of its
// own (an EngineThread: the pattern engine needs its stack); the silent
// self scan calls it directly, with no receiver. Modes: memory scan (0),
// fast scan (1: memory scan, then the file-signature pass), full scan (2:
// the whole store), log view (3: nothing to scan), silent self scan (4: as
// the fast scan, with log records and boxes for each finding).
//
// Lines after the steps: "*" and 38 hyphens; the dated line "*Y/M/D
// hh:mm:ss " with "Memory scan finished!", "Fast scan finished!" or "Full
// scan finished!" for modes 0 to 2 (nothing after the blank otherwise); and
// "&". A user stop of the full scan sends only the stop line: RunScan then
// returns kStopped and sends nothing more.
#pragma once

#include <memory>

#include "platform/store.h"
#include "scan/scan_outputs.h"
#include "scan/scan_session.h"
#include "scan/signature_database.h"

namespace kv {

enum class ScanOutcome : int {
  kFinished = 0,  // the scan ran to its end and sent its closing lines
  kStopped = -1,  // the user stopped the full scan; the stop line was the last
};

// Runs the scan of `session.mode` over `database`, which it holds until it
// returns, so that a reload meanwhile does not disturb it (a null snapshot
// scans with no signatures at all). The session's
// running flag is set at the start and cleared at the end; a stop clears
// it from another thread.
[[nodiscard]] ScanOutcome RunScan(const platform::Store& store,
                                  std::shared_ptr<const SignatureDatabase> database,
                                  ScanSession& session, const ScanOutputs& outputs);

}  // namespace kv
