// RunScan. Only the full scan's search can be cancelled by a stop: the
// memory scan and the file-signature pass run to their end whatever the
// running flag says, so their searches are given no cancel token.
#include "scan/run_scan.h"

#include <string>

#include "resources/string_table.h"
#include "resources/text_format.h"
#include "scan/directory_walk.h"
#include "scan/file_matcher.h"
#include "scan/file_signature_pass.h"
#include "scan/memory_scan.h"
#include "scan/scan_context.h"

namespace kv {
namespace {

// The text behind the dated closing line; none for the other modes.
std::u16string_view ClosingText(ScanMode mode) {
  switch (mode) {
    case ScanMode::kMemory:
      return strings::LoadString(strings::kMemoryScanFinished);
    case ScanMode::kFast:
      return strings::LoadString(strings::kFastScanFinished);
    case ScanMode::kFull:
      return strings::LoadString(strings::kFullScanFinished);
    case ScanMode::kLogView:
    case ScanMode::kSilentSelf:
      break;
  }
  return {};
}

void SendClosingLines(ScanSession& session, const ScanClock& clock) {
  session.running.Clear();
  session.HandOver(strings::kScanRuleLine);
  session.HandOver(strings::FormatDated(strings::kScanClosingDateFormat, clock.Now())
                       .append(ClosingText(session.mode)));
  session.HandOver(kEndOfScanLine);
}

}  // namespace

ScanOutcome RunScan(const platform::Store& store, std::shared_ptr<const SignatureDatabase> database,
                    ScanSession& session, const ScanOutputs& outputs) {
  if (database == nullptr) database = std::make_shared<const SignatureDatabase>();
  session.running.Set();
  const bool fullScan = session.mode == ScanMode::kFull;
  FileMatcher matcher(store, *database, fullScan ? &session.running.Cancel() : nullptr);
  const ScanContext context{store, *database, matcher, session, outputs};

  switch (session.mode) {
    case ScanMode::kMemory:
      (void)MemoryScan(context, false);
      break;
    case ScanMode::kFast:
    case ScanMode::kSilentSelf:
      (void)MemoryScan(context, false);
      FileSignaturePass(context);
      break;
    case ScanMode::kFull:
      if (FullScanWalk(store, matcher, session, u"") == WalkOutcome::kStopped) {
        return ScanOutcome::kStopped;
      }
      break;
    case ScanMode::kLogView:
      break;
  }
  SendClosingLines(session, outputs.clock);
  return ScanOutcome::kFinished;
}

}  // namespace kv
