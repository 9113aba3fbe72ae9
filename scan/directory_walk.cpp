// ScanStoreFiles over the shared walk, on the scan's own thread or with a
// pool of checking threads whose verdicts come back in walk order. Reports
// and removals go through a ReportLane: in walk order, but a quarantine
// move's syncs no longer hold up the checking of the files after it, the
// moves found while the lane was busy are made together with one pair of
// flushes, and all share one QuarantineBatch, made durable together. The stop
// event is sent after the walk has unwound and every file handed out has
// its verdict and its removal, made durable. A pause holds removals too,
// wherever it finds the walk.
#include "scan/directory_walk.h"

#include <memory>
#include <optional>
#include <vector>

#include "platform/text.h"
#include "scan/file_removal.h"
#include "scan/lane_moves.h"
#include "scan/parallel_checker.h"
#include "scan/report_lane.h"

namespace kv {
namespace {

// The verdict of a file the walk listed, opened from its listing. A name
// holding "\" names another file as a device path, so that one is checked
// by its path instead.
Verdict CheckListedFile(FileMatcher& matcher, std::u16string_view path, const FileFinder* listing,
                        std::u16string_view name) {
  if (listing == nullptr) return Verdict::NotChecked(NotCheckedReason::kUnnamable);
  if (name.find(u'\\') != std::u16string_view::npos) return matcher.CheckFile(path);
  Result<File> opened = listing->OpenFile(name, Sharing::kNone);
  return matcher.CheckOpenedFile(opened.status, opened.value);
}

// The same file for a checking thread to open from its listing and check.
CheckedFile ListedFileToCheck(std::u16string_view path, const FileFinder* listing,
                              std::u16string_view name) {
  CheckedFile file;
  file.path = path;
  std::optional<ListedFile> listed;
  if (listing == nullptr) {
    file.known = Verdict::NotChecked(NotCheckedReason::kUnnamable);
  } else if (name.find(u'\\') == std::u16string_view::npos &&
             (listed = listing->LastListedFile(name))) {
    file.open = [listed = std::move(*listed)] { return listed.Open(Sharing::kNone); };
  } else {
    file.byPath = true;  // a name holding "\", or not the entry just listed
  }
  return file;
}

// Reports `path`'s verdict on the lane, and removes the file when it is
// infected (`digest`: its bytes' as checked, or null); `announce`: the
// FileChecking event first.
void LaneReport(ReportLane& lane, const ScanContext& context, LaneMoves& moves,
                std::u16string_view path, const Verdict& verdict, std::uint64_t bytes,
                const ReadDigest* digest, bool announce) {
  const std::string_view name = verdict.IsInfected()
                                    ? context.database.CharacterSignatures()[verdict.signature].name
                                    : std::string_view();
  const auto report = [&context, path = std::u16string(path), verdict, name, bytes, announce] {
    if (announce) context.events.Send(FileChecking{path});
    context.events.Send(FileVerdict{path, verdict, name, bytes});
  };
  if (!verdict.IsInfected()) {
    lane.Run(report, false);
    return;
  }
  std::optional<ReadDigest> kept;
  if (digest != nullptr) kept = *digest;
  auto place = std::make_shared<std::optional<std::size_t>>();
  lane.Run(
      report, true,
      [&context, &moves, place, path = std::u16string(path), name, kept = std::move(kept)] {
        context.stop.WaitWhilePaused();
        *place = ReserveFoundFile(moves.Batch(), path, WidenAnsi(name), ScanModeName(context.mode),
                                  kept ? &*kept : nullptr);
      },
      [&context, &moves, place, path = std::u16string(path), name] {
        const QuarantineResult removed = moves.Result(*place);
        context.events.Send(ActionOf(ActionKind::kDeleteInfected, path, name, removed));
      });
}

}  // namespace

WalkOutcome ScanStoreFiles(const ScanContext& context, std::u16string_view folder) {
  WalkOutcome outcome = WalkOutcome::kCompleted;
  QuarantineBatch quarantine(context.store);
  LaneMoves moves(quarantine);
  ReportLane lane([&moves] { moves.Settle(); });
  if (context.threads <= 1) {
    outcome = WalkStoreFolder(
        context.store, context.stop, folder,
        [&](std::u16string_view path, const FileFinder* listing, std::u16string_view name) {
          lane.Run(
              [&context, path = std::u16string(path)] { context.events.Send(FileChecking{path}); },
              false);
          const Verdict verdict = CheckListedFile(context.matcher, path, listing, name);
          const std::optional<ReadDigest>& digest = context.matcher.LastInfectedDigest();
          LaneReport(lane, context, moves, path, verdict, context.matcher.LastFileBytes(),
                     digest ? &*digest : nullptr, false);
        });
  } else {
    ParallelChecker checker(
        context.store, context.database, &context.stop, context.threads,
        [&](std::u16string_view path, const Verdict& verdict, std::uint64_t bytes, std::uint64_t,
            const ReadDigest* digest) {
          LaneReport(lane, context, moves, path, verdict, bytes, digest, true);
        },
        MatchPath::kFast, InfectedDigest::kKeep);
    outcome = WalkStoreFolder(
        context.store, context.stop, folder,
        [&](std::u16string_view path, const FileFinder* listing, std::u16string_view name) {
          checker.Submit(ListedFileToCheck(path, listing, name));
        });
    checker.Finish();
  }
  lane.Drain();
  quarantine.Flush();
  if (outcome == WalkOutcome::kStopped) context.events.Send(ScanStopped{});
  return outcome;
}

}  // namespace kv
