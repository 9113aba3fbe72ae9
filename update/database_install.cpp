// InstallDatabase and the kept copy. Both files go through
// ReplaceStoreFile, so each is replaced whole or not at all; the copy is
// written first, so that a kill between the two leaves the old database in
// place and its copy beside it.
#include "update/database_install.h"

#include <utility>

#include "database/virus_database.h"
#include "platform/files.h"
#include "platform/limits.h"
#include "platform/replacement_files.h"

namespace kv {
namespace {

enum class StoreRead { kRead, kNotFound, kFailed };

StoreRead ReadStoreFile(const Store& store, std::u16string_view path, std::string& content) {
  const Result<File> opened = File::OpenForRead(store, path, Sharing::kRead);
  switch (opened.status) {
    case FileStatus::kOk:
      break;
    case FileStatus::kFileNotFound:
      return StoreRead::kNotFound;
    case FileStatus::kFailed:
    case FileStatus::kLocked:
    case FileStatus::kNotRegular:
      return StoreRead::kFailed;
  }
  Result<std::string> read = opened.value.ReadAll(limits::kMaxDatabaseFileBytes);
  if (!read.Ok()) return StoreRead::kFailed;
  content = std::move(read.value);
  return StoreRead::kRead;
}

}  // namespace

void RemoveUpdateLeftovers(const Store& store) {
  // Nothing to do about a folder that cannot be read: the install that
  // follows fails there too, and says so.
  (void)RemoveStrayReplacements(store, kVirusDatabasePath);
  (void)RemoveStrayReplacements(store, kKeptDatabasePath);
}

bool InstallDatabase(const Store& store, PublishedDatabase& published, std::string_view database,
                     std::shared_ptr<const SignatureDatabase> snapshot, UpdateReport& report) {
  std::string current;
  switch (ReadStoreFile(store, kVirusDatabasePath, current)) {
    case StoreRead::kRead:
      if (!ReplaceStoreFile(store, kKeptDatabasePath, current).Ok()) {
        report.cause = UpdateCause::kKeepOldFailed;
        return false;
      }
      break;
    case StoreRead::kNotFound:  // the first database: nothing to keep
      break;
    case StoreRead::kFailed:
      report.cause = UpdateCause::kKeepOldFailed;
      return false;
  }
  return PutDatabaseInPlace(store, published, database, std::move(snapshot), report);
}

bool PutDatabaseInPlace(const Store& store, PublishedDatabase& published, std::string_view database,
                        std::shared_ptr<const SignatureDatabase> snapshot, UpdateReport& report) {
  if (!ReplaceStoreFile(store, kVirusDatabasePath, database).Ok()) {
    report.cause = UpdateCause::kWriteFailed;
    return false;
  }
  // The checked snapshot of the bytes just written: nothing is read back
  // that another writer could have changed meanwhile.
  published.Publish(std::move(snapshot));
  return true;
}

KeptDatabase ReadKeptDatabase(const Store& store, std::string& content) {
  switch (ReadStoreFile(store, kKeptDatabasePath, content)) {
    case StoreRead::kRead:
      return KeptDatabase::kRead;
    case StoreRead::kNotFound:
      return KeptDatabase::kNone;
    case StoreRead::kFailed:
      break;
  }
  return KeptDatabase::kFailed;
}

}  // namespace kv
