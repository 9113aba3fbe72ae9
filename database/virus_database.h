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
//
// Delete lists (after "[DELETE_FILES]"): groups, each a header line "["
// name "]" followed by the device paths of a signature's companion files,
// one a line; see SignatureDatabase::CompanionFiles.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "database/signature_database.h"
#include "platform/store.h"

namespace kv {

inline constexpr char16_t kVirusDatabasePath[] = u"\\Program Files\\Quellbrin\\VirusDB.dat";
inline constexpr char kDatabaseKey[] = "QOPRUX";

// A version as atoi reads it: leading white space, an optional sign, then
// decimal digits up to the first other character; 0 without digits. Values
// beyond the 32-bit range saturate instead of overflowing.
int32_t ParseVersion(std::string_view text);

// Walks the lines of a whole database file held in memory. Compiles
// nothing: SignatureDatabase::Build does, from what this reads.
DatabaseContents ReadDatabaseLines(std::string_view content);

// The loader's two results; both callers (start-up and the update) go on
// either way.
enum class LoadResult : int {
  kRead = 0,     // the file was read, whatever it held
  kFailed = -1,  // it could not be opened, sized, read or closed
};

struct LoadedDatabase {
  LoadResult result = LoadResult::kFailed;
  std::shared_ptr<const SignatureDatabase> snapshot;  // never null
};

// Loads the store's database file into a new snapshot, carrying `previous`'s
// version and delete-list offset where the file sets none. When the file
// cannot be opened or read the snapshot has no signatures and `previous`'s
// version and offset; when only its close fails (kFailed too) it holds what
// was read. `threads`: as SignatureDatabase::Build's.
[[nodiscard]] LoadedDatabase LoadVirusDatabase(const Store& store,
                                               const SignatureDatabase& previous,
                                               unsigned threads = 1);

}  // namespace kv
