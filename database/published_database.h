// PublishedDatabase: the signature database the program currently uses,
// handed out as immutable snapshots.
//
// Entry points: Current, Reload. A scan takes Current() once and keeps that
// snapshot to its end; Reload loads the file into a new snapshot and
// publishes it, so a scan running meanwhile goes on with its own, untouched.
// Reloads are serialised among themselves, each carrying the version and
// delete-list offset of the snapshot before it, as the loader requires.
#pragma once

#include <memory>
#include <mutex>

#include "database/signature_database.h"
#include "database/virus_database.h"
#include "platform/store.h"

namespace kv {

class PublishedDatabase {
 public:
  // Starts with an empty database (no signatures, version 0).
  PublishedDatabase();

  std::shared_ptr<const SignatureDatabase> Current() const;

  // Loads the store's database file and publishes the result, even a failed
  // load's (empty lists, version and offset kept), as the handset's loader
  // left its lists after a failure. `threads`: as SignatureDatabase::Build's.
  LoadResult Reload(const Store& store, unsigned threads = 1);

  // Publishes a snapshot built elsewhere (the update's, already checked).
  void Publish(std::shared_ptr<const SignatureDatabase> snapshot);

 private:
  mutable std::mutex
      currentMutex_;  // guards current_ only: taking a snapshot never waits for a load
  std::mutex reloadMutex_;
  std::shared_ptr<const SignatureDatabase> current_;
};

}  // namespace kv
