// The file-signature pass of the fast scan and the silent self scan: every
// file that the database names by path is checked with all content
// signatures; a hit deletes the companion files of the signature found
// (delete_list.h), then the file itself.
//
// Entry points: FileSignaturePass, FileExists.
#pragma once

#include <string_view>

#include "platform/store.h"
#include "scan/scan_context.h"

namespace kv {

// true when the store file at `path` can be opened for reading (sharing it
// for reading, as the standard file functions open it); it is closed again
// at once.
[[nodiscard]] bool FileExists(const platform::Store& store, std::u16string_view path);

// Runs the pass. Lines: "<OK>" + path for each Trojan file deleted, "<NO>"
// + path for one that could not be; "*There's no Trojan!" when none was
// found. In the silent self scan each finding also goes to the log and into
// a box, and so does the no-Trojan line.
void FileSignaturePass(const ScanContext& context);

}  // namespace kv
