// Resolving device paths against the file store, one component at a time
// from the store's own descriptor, never following a symbolic link.
// Internal to the platform layer: the building block of files.h.
//
// Entry points: OpenStoreFolder, ResolveStoreEntry.
#pragma once

#include <sys/stat.h>

#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/unique_fd.h"

namespace kv::platform {

// Opens (O_PATH) the folder a device path names. Anything short of a real
// folder reached without links is kFailed.
FileStatus OpenStoreFolder(std::u16string_view path, UniqueFd& folder);

struct StoreEntry {
  UniqueFd parent;        // the folder holding the entry (O_PATH)
  std::string hostName;   // the entry's host name within `parent`
  struct stat status {};  // the entry itself, a link not followed
};

// Resolves a device path naming an entry of some folder (the root itself is
// no entry: kFailed). kOk: the entry exists, whatever its kind.
// kFileNotFound: its folder exists and holds no entry of that name, exactly
// or ignoring case. kFailed: anything else.
FileStatus ResolveStoreEntry(std::u16string_view path, StoreEntry& entry);

}  // namespace kv::platform
