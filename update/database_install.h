// Putting a checked database in place: the old file is kept as
// VirusDB.dat.old, the new one written beside it and renamed into place
// (ReplaceStoreFile), then loaded and published. Internal to
// update/.
//
// Entry points: RemoveUpdateLeftovers, InstallDatabase, PutDatabaseInPlace,
// ReadKeptDatabase.
// A kill at any moment leaves VirusDB.dat whole, old or new, and at most a
// stray new file, which the next update removes first.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "database/published_database.h"
#include "platform/store.h"
#include "update/database_update.h"

namespace kv {

inline constexpr char16_t kKeptDatabasePath[] = u"\\Program Files\\Quellbrin\\VirusDB.dat.old";

// Removes the new files an interrupted install left beside the database
// and its kept copy.
void RemoveUpdateLeftovers(const Store& store);

// Keeps the current file (when there is one) as the kept copy, then puts
// `database` in its place and publishes `snapshot`, the one checked and
// built from those very bytes. false, with the cause in `report`, when
// either write fails; the current file is then unchanged.
[[nodiscard]] bool InstallDatabase(const Store& store, PublishedDatabase& published,
                                   std::string_view database,
                                   std::shared_ptr<const SignatureDatabase> snapshot,
                                   UpdateReport& report);

// Puts `database` in place of the current file, keeping no copy, and
// publishes `snapshot`; false, with the cause in `report`, when the write
// fails.
[[nodiscard]] bool PutDatabaseInPlace(const Store& store, PublishedDatabase& published,
                                      std::string_view database,
                                      std::shared_ptr<const SignatureDatabase> snapshot,
                                      UpdateReport& report);

enum class KeptDatabase { kRead, kNone, kFailed };

// The kept copy's bytes.
KeptDatabase ReadKeptDatabase(const Store& store, std::string& content);

}  // namespace kv
