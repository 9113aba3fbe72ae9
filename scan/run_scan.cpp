// RunScan. Only a store walk's search can be cancelled by a stop: the
// memory scan and the file-signature pass run to their end whatever the
// stop token says, so their searches are given no cancel token.
#include "scan/run_scan.h"

#include <exception>
#include <memory>

#include "platform/engine_thread.h"
#include "platform/text.h"
#include "scan/directory_walk.h"
#include "scan/file_matcher.h"
#include "scan/file_signature_pass.h"
#include "scan/memory_scan.h"
#include "scan/scan_context.h"
#include "scan/store_walk.h"

namespace kv {
namespace {

bool WalksStore(ScanMode mode) { return mode == ScanMode::kFull || mode == ScanMode::kBackground; }

ScanOutcome RunSteps(const ScanContext& context) {
  const bool noDatabase = !context.database.HasCharacterSignatures();
  switch (context.mode) {
    case ScanMode::kMemory:
      (void)MemoryScan(context, false);
      return ScanOutcome::kFinished;
    case ScanMode::kFast:
    case ScanMode::kSilentSelf:
      (void)MemoryScan(context, false);
      FileSignaturePass(context);
      break;
    case ScanMode::kFull:
    case ScanMode::kBackground:
      if (noDatabase) {
        context.events.Send(ScanNoted{ScanNote::kDatabaseNotLoaded, {}});
        break;
      }
      // Only the dialog's full scan shows how far it is.
      if (context.mode == ScanMode::kFull) {
        if (const auto files = CountStoreFiles(context.store, context.stop, u"")) {
          context.events.Send(ScanCounted{*files});
        }
      }
      if (ScanStoreFiles(context, u"") == WalkOutcome::kStopped) return ScanOutcome::kStopped;
      break;
    case ScanMode::kLogView:
      return ScanOutcome::kFinished;
  }
  return noDatabase ? ScanOutcome::kNoDatabase : ScanOutcome::kFinished;
}

}  // namespace

unsigned DefaultScanThreads() { return UsableProcessors(); }

ScanOutcome RunScan(const Store& store, std::shared_ptr<const SignatureDatabase> database,
                    ScanMode mode, const StopToken& stop, ScanEvents& events,
                    const ScanOutputs& outputs, unsigned threads) {
  if (database == nullptr) database = std::make_shared<const SignatureDatabase>();
  // A walk's matcher keeps the digests of the files it finds for their moves.
  FileMatcher matcher(store, *database, WalksStore(mode) ? &stop.Cancel() : nullptr,
                      MatchPath::kFast,
                      WalksStore(mode) ? InfectedDigest::kKeep : InfectedDigest::kSkip);
  const ScanContext context{store, *database, matcher, mode, stop, events, outputs, threads};

  events.Send(ScanStarted{mode, outputs.clock.Now(), database->Version(),
                          database->CharacterSignatures().size(), database->FileSignatures().size(),
                          database->ProcessSignatures().size()});
  ScanOutcome outcome = ScanOutcome::kFailed;
  try {
    outcome = RunSteps(context);
  } catch (const std::exception& failure) {
    events.Send(ScanNoted{ScanNote::kScanFailed, Utf8ToUtf16(failure.what())});
  }
  events.Send(
      ScanFinished{mode, outputs.clock.Now(), outcome == ScanOutcome::kStopped, events.Tally()});
  return outcome;
}

}  // namespace kv
