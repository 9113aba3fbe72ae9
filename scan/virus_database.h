// The signature database file \Program Files\Quellbrin\VirusDB.dat and its
// loader.
//
// File format: lines ending in CR LF. Line 1 is the version as plain decimal
// text (read as atoi reads). Every later line is an encoded line (see
// line_decoder.h) whose plain text is a section marker ("[VirusCharacter]",
// "[VirusFile]", "[VirusProcess]", "[DELETE_FILES]", found anywhere in the
// line), a signature, or, after "[DELETE_FILES]", a delete-list line.
// Character signatures: a 20-character blank-padded name field, then the
// pattern. File signatures: a path. Process signatures: an executable name.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/store.h"
#include "scan/signature_store.h"

namespace kv {

inline constexpr char16_t kVirusDatabasePath[] = u"\\Program Files\\Quellbrin\\VirusDB.dat";
inline constexpr char kDatabaseKey[] = "QOPRUX";

// Walks the lines of a whole database file held in memory and appends their
// records to `store` (which the caller has emptied), sets `dbVersion` from
// the first line and `store.deleteFilesOffset` when the marker is met.
void ReadDatabaseLines(std::string_view content, SignatureStore& store, int32_t& dbVersion);

// Empties the global signature store and reloads it from kVirusDatabasePath
// in the device store `store`.
// 0 when the file was read, whatever it held; -1 when it cannot be opened,
// sized, read or closed (the lists stay empty, version and offset unchanged).
int LoadVirusDatabase(const platform::Store& store);

}  // namespace kv
