// PublishedDatabase: a load runs outside the snapshot lock, so a scan that
// takes the current snapshot meanwhile gets the old one at once.
#include "database/published_database.h"

#include <utility>

namespace kv {

PublishedDatabase::PublishedDatabase() : current_(std::make_shared<const SignatureDatabase>()) {}

std::shared_ptr<const SignatureDatabase> PublishedDatabase::Current() const {
  const std::lock_guard<std::mutex> lock(currentMutex_);
  return current_;
}

LoadResult PublishedDatabase::Reload(const Store& store, unsigned threads) {
  const std::lock_guard<std::mutex> reloading(reloadMutex_);
  LoadedDatabase loaded = LoadVirusDatabase(store, *Current(), threads);
  Publish(std::move(loaded.snapshot));
  return loaded.result;
}

void PublishedDatabase::Publish(std::shared_ptr<const SignatureDatabase> snapshot) {
  {
    const std::lock_guard<std::mutex> lock(currentMutex_);
    current_.swap(snapshot);
  }
  // The old snapshot is released here, outside the lock.
}

}  // namespace kv
