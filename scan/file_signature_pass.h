// The file-signature pass of the fast scan and the silent self scan: every
// file that the database names by path is checked with all content
// signatures; an infected one has the companion files of its signature
// (SignatureDatabase::CompanionFiles) removed first, then itself.
//
// Entry point: FileSignaturePass.
#pragma once

#include <string_view>

#include "platform/store.h"
#include "scan/scan_context.h"

namespace kv {

// Runs the pass. Events: for each named file FileChecking (the progress
// counts them against the number of file signatures), and when it is there
// its FileVerdict; for an infected one the ActionTaken of each companion
// removed and of its own removal; the note kNoTrojan when every file there
// was checked and none was infected, or kDatabaseNotLoaded instead of the
// whole pass when the snapshot holds no character signature. In the silent self scan each removal
// is also told in a box.
void FileSignaturePass(const ScanContext& context);

}  // namespace kv
