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

#include "platform/files.h"
#include "platform/limits.h"
#include "scan/virus_database.h"

namespace kv {

LoadResult LoadVirusDatabase(const platform::Store& store, const SignatureDatabase& previous,
                             SignatureDatabase& loaded) {
  loaded = SignatureDatabase{};
  loaded.dbVersion = previous.dbVersion;
  loaded.deleteFilesOffset = previous.deleteFilesOffset;

  platform::File file;
  if (platform::File::OpenForRead(store, kVirusDatabasePath, platform::Sharing::kNone, file) !=
      platform::FileStatus::kOk) {
    return LoadResult::kFailed;
  }
  // ReadAll sizes the file before it allocates: a failed size query, a file
  // over the bound and a failed or short read all end here.
  std::string content;
  if (!file.ReadAll(content, limits::kMaxDatabaseFileBytes)) {
    (void)file.Close();  // the read failed already; its close adds nothing
    return LoadResult::kFailed;
  }
  ReadDatabaseLines(content, loaded);
  const bool closed = file.Close();
  CompileSignatures(loaded);
  return closed ? LoadResult::kRead : LoadResult::kFailed;
}

}  // namespace kv
