// ScanStoreFiles over the shared walk. The stop event is sent after the
// walk has unwound: nothing is sent while it unwinds.
#include "scan/directory_walk.h"

#include "scan/file_removal.h"

namespace kv {
namespace {

// The verdict of a file the walk listed, opened from its listing. A name
// holding "\" names another file as a device path, so that one is checked
// by its path instead.
Verdict CheckListedFile(FileMatcher& matcher, std::u16string_view path,
                        const platform::FileFinder* listing, std::u16string_view name) {
  if (listing == nullptr) return Verdict::NotChecked(NotCheckedReason::kUnnamable);
  if (name.find(u'\\') != std::u16string_view::npos) return matcher.CheckFile(path);
  platform::File file;
  const platform::FileStatus opened = listing->OpenFile(name, platform::Sharing::kNone, file);
  return matcher.CheckOpenedFile(opened, file);
}

}  // namespace

void ReportAndRemove(const ScanContext& context, std::u16string_view path, const Verdict& verdict) {
  const std::string_view name = verdict.IsInfected()
                                    ? context.database.CharacterSignatures()[verdict.signature].name
                                    : std::string_view();
  context.events.Send(FileVerdict{path, verdict, name, context.matcher.LastFileBytes()});
  if (!verdict.IsInfected()) return;
  const bool removed = RemoveStoreFile(context.store, path);
  context.events.Send(ActionTaken{ActionKind::kDeleteInfected, path, name, removed});
}

WalkOutcome ScanStoreFiles(const ScanContext& context, std::u16string_view folder) {
  const WalkOutcome outcome = WalkStoreFolder(
      context.store, context.stop, folder,
      [&](std::u16string_view path, const platform::FileFinder* listing, std::u16string_view name) {
        context.events.Send(FileChecking{path});
        ReportAndRemove(context, path, CheckListedFile(context.matcher, path, listing, name));
      });
  if (outcome == WalkOutcome::kStopped) context.events.Send(ScanStopped{});
  return outcome;
}

}  // namespace kv
