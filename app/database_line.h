// The main window's line about the signature database in use, below its
// buttons: "VirusDB 20240611 · 1,000 signatures". The About box keeps its
// fixed texts, so this is where a user learns the loaded version.
//
// Entry points: DatabaseLine, GroupThousands.
// Made here, without Qt, from the snapshot itself: the count is every
// signature of the three lists. Without a character signature nothing can
// be checked, and the line says plainly that no database is loaded, as a
// scan does.
#pragma once

#include <cstdint>
#include <string>

#include "database/signature_database.h"

namespace kv {

std::u16string DatabaseLine(const SignatureDatabase& database);

// `number` in decimal with a comma between groups of three digits.
std::u16string GroupThousands(std::uint64_t number);

}  // namespace kv
