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
//
// Entry points: ReadDatabaseLines (the line walk over bytes in memory),
// LoadVirusDatabase (the file, into a new snapshot), ParseVersion (the
// version line's reading, which the update shares).
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/store.h"
#include "scan/signature_database.h"

namespace kv {

inline constexpr char16_t kVirusDatabasePath[] = u"\\Program Files\\Quellbrin\\VirusDB.dat";
inline constexpr char kDatabaseKey[] = "QOPRUX";

// A version as atoi reads it: leading white space, an optional sign, then
// decimal digits up to the first other character; 0 without digits. Values
// beyond the 32-bit range saturate instead of overflowing.
int32_t ParseVersion(std::string_view text);

// Walks the lines of a whole database file held in memory and appends their
// records to the lists of `database` (which the caller has emptied), sets
// its dbVersion from the first line and its deleteFilesOffset when the
// marker is met; both keep their values otherwise. Compiles nothing.
void ReadDatabaseLines(std::string_view content, SignatureDatabase& database);

// The loader's two results; both callers (start-up and the update) go on
// either way.
enum class LoadResult : int {
  kRead = 0,     // the file was read, whatever it held
  kFailed = -1,  // it could not be opened, sized, read or closed
};

// Loads the store's database file into `loaded`: the lists and their
// compiled patterns from the file, the version and delete-list offset from
// the file where it sets them and from `previous` where it does not. When
// the file cannot be opened or read (kFailed) the lists are empty and
// version and offset are `previous`'s; when only its close fails (kFailed
// too) the snapshot holds what was read.
[[nodiscard]] LoadResult LoadVirusDatabase(const platform::Store& store,
                                           const SignatureDatabase& previous,
                                           SignatureDatabase& loaded);

}  // namespace kv
