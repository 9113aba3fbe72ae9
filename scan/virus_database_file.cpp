// LoadVirusDatabase: the file side of the signature database loader. It
// opens \Program Files\Quellbrin\VirusDB.dat with no sharing, reads it whole
// and hands the bytes to the line walk (ReadDatabaseLines); the format is
// documented in virus_database.h.
//
// The file is opened without sharing so that no writer can change it during
// the read; every failure leaves the lists empty and the version and delete
// offset as they were, which is what both callers (start-up and the update)
// rely on, since neither looks at the result.
#include <string>

#include "app/app_context.h"
#include "platform/files.h"
#include "platform/limits.h"
#include "scan/virus_database.h"

namespace kv {

int LoadVirusDatabase(const platform::Store& store) {
  signatureStore.characterSignatures.clear();
  signatureStore.fileSignatures.clear();
  signatureStore.processSignatures.clear();

  platform::File file;
  if (platform::File::OpenForRead(store, kVirusDatabasePath, platform::Sharing::kNone, file) !=
      platform::FileStatus::kOk) {
    return -1;
  }
  // ReadAll sizes the file before it allocates: a failed size query, a file
  // over the bound, a failed or short read and a failed close all end here,
  // before anything is loaded.
  std::string content;
  if (!file.ReadAll(content, limits::kMaxDatabaseFileBytes) || !file.Close()) return -1;
  ReadDatabaseLines(content, signatureStore, appContext.dbVersion);
  return 0;
}

}  // namespace kv
