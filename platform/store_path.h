// Resolving device paths against the file store, one component at a time
// from the store root's descriptor, never following a symbolic link.
// Internal to the platform layer: the building block of files.h.
//
// Entry points: OpenStoreFolder, LookUpStoreEntry, ResolveStoreEntry,
// SameInode, SetEntryNormal.
#pragma once

#include <sys/stat.h>

#include <string>
#include <string_view>

#include "platform/result.h"
#include "platform/store.h"
#include "platform/unique_fd.h"

namespace kv {

// Opens (O_PATH) the folder a device path names. Anything short of a real
// folder reached without links is kFailed.
Result<UniqueFd> OpenStoreFolder(const Store& store, std::u16string_view path);

// Whether two statuses are of one inode.
inline bool SameInode(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// One entry of an open folder, as found by name.
struct StoreEntry {
  int folder = -1;        // the folder holding the entry, owned elsewhere
  std::string hostName;   // the entry's host name within `folder`
  struct stat status {};  // the entry itself, a link not followed
};

// Finds the entry `name` (one device name) in `folder`: the exact spelling
// when it exists, else the byte-wise first entry equal to it ignoring case.
// kOk: the entry exists and is no link, whatever its kind. kFileNotFound:
// there is no such entry, or it is a link (no file of the handset's).
// kFailed: the name cannot be a host name, or the folder cannot be read.
// On kFileNotFound the value is kept too: its `hostName` is the name to
// create the entry under (the link's own name when a link stands there);
// `folder` is set on kOk only.
Result<StoreEntry> LookUpStoreEntry(int folder, std::u16string_view name);

// An entry of some folder, with that folder held open; `entry.folder` is
// `folder`'s descriptor.
struct ResolvedEntry {
  UniqueFd folder;
  StoreEntry entry;
};

// Resolves a device path naming an entry of some folder (the root itself is
// no entry: kFailed), opening that folder. Statuses as LookUpStoreEntry's,
// the value kept on kFileNotFound as there, and kFailed when the folder
// cannot be reached.
Result<ResolvedEntry> ResolveStoreEntry(const Store& store, std::u16string_view path);

// "Set attributes to normal" on a resolved regular file: gives its owner
// write permission when it lacks it (through a handle opened without
// following links), and keeps `entry.status` up to date while the name
// still holds the inode found. Refuses anything but a regular file.
Result<void> SetEntryNormal(StoreEntry& entry);

}  // namespace kv
