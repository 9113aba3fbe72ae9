// ProcessDeleteList: deletes the companion files that the database lists
// for one character signature, before the Trojan file itself goes.
//
// Format (the part of VirusDB.dat after the "[DELETE_FILES]" line; every
// line encoded as the loader's, line_decoder.h): groups, each a header line
// "[" name "]" followed by the device paths of the files to delete, one a
// line. A plain line holding "[" anywhere is a header; its name is the line
// without its first and last character. Only the first group whose name
// equals the signature's name (exactly, case-sensitively) is used; the next
// header line, or a path holding "[", ends it.
//
// The file is read again from the deleteFilesOffset of the snapshot the
// scan runs with. Deletions go through the store, so a listed path can
// never reach outside it.
#pragma once

#include <string_view>

#include "platform/store.h"
#include "scan/signature_database.h"

namespace kv {

// Deletes the companions listed for `signatureName`. Silent: a companion
// that is missing or cannot be deleted is passed over, and a database file
// that cannot be read again, or whose delete lists lie beyond its end or
// were never found (offset 0), deletes nothing.
void ProcessDeleteList(const platform::Store& store, const SignatureDatabase& database,
                       std::string_view signatureName);

}  // namespace kv
