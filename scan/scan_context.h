// ScanContext: what every step of one scan works with, gathered once by
// RunScan so that the steps take one argument instead of nine.
#pragma once

#include "database/signature_database.h"
#include "platform/store.h"
#include "scan/file_matcher.h"
#include "scan/scan_events.h"
#include "scan/scan_outputs.h"
#include "scan/stop_token.h"

namespace kv {

struct ScanContext {
  const Store& store;
  // The snapshot the scan started with; RunScan holds it to the end.
  const SignatureDatabase& database;
  FileMatcher& matcher;
  ScanMode mode;
  const StopToken& stop;
  ScanEvents& events;
  const ScanOutputs& outputs;
  // Threads that check the files of a store walk; 1 checks them on the
  // scan's own thread.
  unsigned threads;
};

}  // namespace kv
