// The directory scans: the full scan of the scan dialog and the background
// scan ("-hideandscan") walk the whole store (store_walk.h) and check every
// file that passes the extension filter, removing each infected one.
//
// Entry point: ScanStoreFiles. Events, for each file in walk order,
// whatever the context's number of threads: FileChecking, its FileVerdict,
// and for an infected file the ActionTaken of its removal; a file or folder
// too long for a device path is not checked. Removals are made by the
// scan's own thread, in that order. On a stop:
// ScanStopped, once, after the walk has unwound. Symbolic links are neither
// followed nor checked: the folder listing never gives them.
#pragma once

#include <string_view>

#include "scan/scan_context.h"
#include "scan/store_walk.h"

namespace kv {

// Scans the store from `folder` ("" for the whole store). The context's
// matcher should carry the stop token's cancel, so that a stop also ends
// the search in progress.
[[nodiscard]] WalkOutcome ScanStoreFiles(const ScanContext& context, std::u16string_view folder);

}  // namespace kv
