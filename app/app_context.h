// AppContext: the one application record, made once at start-up and kept
// for the process's lifetime: the device prefix's store and registry, the
// published signature database, the message boxes in use, the background
// scan's flag and the ScanStatus watch.
//
// Entry point: OpenAppContext. Declared in the order they must be torn
// down in reverse: the watch goes first, so its callback never outlives
// the flag and the hive it touches.
#pragma once

#include <filesystem>
#include <optional>

#include "database/published_database.h"
#include "platform/message_boxes.h"
#include "platform/store.h"
#include "registry/hive.h"
#include "registry/watch.h"
#include "scan/stop_token.h"

namespace kv {

struct AppContext {
  Store store;
  std::optional<RegistryHive> hive;
  PublishedDatabase database;
  // The face the run mode uses, owned by the entry (console or Qt).
  MessageBoxes* boxes = nullptr;
  // The background scan's stop: made running before the watch can fire and
  // never re-armed, so a ScanStatus 0 that arrives before the scan starts
  // still stops it. Stopped by the ScanStatus callback on the watch's
  // thread.
  StopToken backgroundScanStop;
  RegistryWatch scanStatusWatch;
};

// Opens the prefix's store (false when it cannot be created or opened) and
// then does the handset's first start-up steps: the database is loaded,
// whatever the outcome, and the ScanStatus watch registered, if it can be.
[[nodiscard]] bool OpenAppContext(const std::filesystem::path& prefix, AppContext& context);

}  // namespace kv
