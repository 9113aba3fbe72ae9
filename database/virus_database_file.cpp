// LoadVirusDatabase: the file side of the signature database loader. It
// opens \Program Files\Quellbrin\VirusDB.dat with no sharing, reads it whole
// and hands the bytes to the line walk (ReadDatabaseLines); the format is
// documented in virus_database.h.
//
// The file is opened without sharing so that no writer can change it during
// the read. A file that cannot be opened or read gives a snapshot with empty
// lists and the previous version and delete offset; a close that fails after
// a good read is reported but keeps what was read. Both callers (start-up
// and the update) go on either way.
#include <string>

#include "database/virus_database.h"
#include "platform/files.h"
#include "platform/limits.h"

namespace kv {

LoadedDatabase LoadVirusDatabase(const platform::Store& store, const SignatureDatabase& previous) {
  platform::File file;
  // ReadAll sizes the file before it allocates: a failed size query, a file
  // over the bound and a failed or short read all end as an empty file.
  std::string content;
  const bool read = platform::File::OpenForRead(store, kVirusDatabasePath, platform::Sharing::kNone,
                                                file) == platform::FileStatus::kOk &&
                    file.ReadAll(content, limits::kMaxDatabaseFileBytes);
  if (!read) content.clear();
  const bool closed = file.IsOpen() ? file.Close() : false;
  return {read && closed ? LoadResult::kRead : LoadResult::kFailed,
          SignatureDatabase::Build(content, previous)};
}

}  // namespace kv
