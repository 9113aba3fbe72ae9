// The two directory scans: FullScanWalk, the full scan of the scan dialog,
// which reports every file it checks and every finding through the
// scan-line hand-over and stops when the user clears the session's running
// flag; and SilentScanWalk, the background scan, which reports nothing and
// stops when its flag is cleared. Both check every file that passes the
// extension filter with CheckFile and delete what is found (store_walk.h
// has the walk itself and its filters).
//
// Entry points: FullScanWalk, SilentScanWalk. Both start from the empty
// path "" for the whole store. Symbolic links are neither followed nor
// checked: the folder listing never gives them.
#pragma once

#include <string_view>

#include "platform/store.h"
#include "scan/file_matcher.h"
#include "scan/scan_session.h"
#include "scan/store_walk.h"

namespace kv {

// Hands over each checked file's path as a status line, then "<OK>" + path
// for a file found and deleted, "<NO>" + path for one found and not
// deleted. On a user stop it hands over the stop line "*>>>>>>>>User stop
// scan!" once and returns kStopped from every level: the scan sends nothing
// more. `matcher` should carry the session's cancel token, so that the
// stop also ends the search in progress.
[[nodiscard]] WalkOutcome FullScanWalk(const platform::Store& store, FileMatcher& matcher,
                                       ScanSession& session, std::u16string_view folder);

// kStopped when `active` was found cleared; nothing is reported.
[[nodiscard]] WalkOutcome SilentScanWalk(const platform::Store& store, FileMatcher& matcher,
                                         const RunningFlag& active, std::u16string_view folder);

}  // namespace kv
