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

LoadedDatabase LoadVirusDatabase(const Store& store, const SignatureDatabase& previous,
                                 unsigned threads) {
  // ReadAll sizes the file before it allocates: a failed size query, a file
  // over the bound and a failed or short read all end as an empty file.
  Result<File> opened = File::OpenForRead(store, kVirusDatabasePath, Sharing::kNone);
  Result<std::string> content = opened.Ok() ? opened.value.ReadAll(limits::kMaxDatabaseFileBytes)
                                            : Result<std::string>(opened.Error());
  const bool read = content.Ok();
  const bool closed = opened.Ok() && opened.value.Close().Ok();
  return {read && closed ? LoadResult::kRead : LoadResult::kFailed,
          SignatureDatabase::Build(content.value, previous, threads)};
}

}  // namespace kv
