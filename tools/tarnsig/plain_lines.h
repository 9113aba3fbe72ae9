// The plain signature file that tarnsig encode reads and tarnsig lint
// checks: its line split and the problems that keep a line from being
// stored at all.
//
// Format: lines ending in LF or CR LF (a last line without one counts too).
// Line 1 is the version; every later line is a plain database line (section
// header, signature, delete-list line), documented in
// docs/signature-database.md.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kv::tarnsig {

// The lines of a plain file: split at LF, one CR before each LF dropped, no
// empty line after a final LF.
std::vector<std::string_view> SplitPlainLines(std::string_view text);

// Why `line` cannot be stored in a database, or empty when it can: a NUL
// byte (decoding would cut the line there), a CR that does not end it (it
// would split the line), or an encoded form over limits::kMaxEncodedLine
// characters (the version line is stored as it is).
std::string StorageProblem(std::string_view line, bool isVersion);

}  // namespace kv::tarnsig
