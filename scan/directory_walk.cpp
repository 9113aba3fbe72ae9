// FullScanWalk and SilentScanWalk over the shared walk. The stop line is
// handed over after the walk has unwound: nothing is sent while it
// unwinds, so the order of the lines is the one of a stop at the level that
// found it.
#include "scan/directory_walk.h"

#include <string>

#include "resources/string_table.h"

namespace kv {

WalkOutcome FullScanWalk(const platform::Store& store, FileMatcher& matcher, ScanSession& session,
                         std::u16string_view folder) {
  std::u16string line;
  const WalkOutcome outcome = WalkStoreFolder(
      store, session.running, folder,
      [&](std::u16string_view path, const platform::FileFinder& listing, std::u16string_view name) {
        session.HandOver(path);
        switch (CheckListedFile(matcher, path, listing, name)) {
          case FileCheckResult::kDeleted:
            session.HandOver(line.assign(kDeletedMarker).append(path));
            break;
          case FileCheckResult::kFound:
          case FileCheckResult::kDeleteFailed:
            session.HandOver(line.assign(kNotDeletedMarker).append(path));
            break;
          case FileCheckResult::kClean:
          case FileCheckResult::kUnreadable:
            break;
        }
      });
  if (outcome == WalkOutcome::kStopped) {
    session.HandOver(strings::LoadString(strings::kUserStopLine));
  }
  return outcome;
}

WalkOutcome SilentScanWalk(const platform::Store& store, FileMatcher& matcher,
                           const RunningFlag& active, std::u16string_view folder) {
  return WalkStoreFolder(
      store, active, folder,
      [&](std::u16string_view path, const platform::FileFinder& listing, std::u16string_view name) {
        (void)CheckListedFile(matcher, path, listing, name);
      });
}

}  // namespace kv
