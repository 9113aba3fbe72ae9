// RestoreQuarantineItem, PurgeQuarantineItem and PurgeQuarantineOlderThan
// (quarantine.h). Both take the item's file out of the folder first and
// record it afterwards: a crash between leaves a record whose file has
// gone, which the list shows as "missing", never a file silently lost.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <optional>

#include <cerrno>

#include "platform/fault_injection.h"
#include "platform/host_name.h"
#include "platform/quarantine.h"
#include "platform/quarantine_folder.h"
#include "platform/store_path.h"

namespace kv {
namespace {

QuarantineChangeResult Failed(int cause) { return {QuarantineChange::kFailed, cause}; }

// The quarantine opened and settled, and the item `id`'s first record when
// its file is in the quarantine (or, with `missingToo`, has gone).
QuarantineChangeResult FindItem(const Store& store, std::string_view id, bool missingToo,
                                UniqueFd& folder, QuarantineRecord& record) {
  if (!IsItemId(id)) return {QuarantineChange::kNoSuchItem, 0};
  const Result<QuarantineListing> listing = ListQuarantine(store);
  if (!listing.Ok()) return Failed(listing.cause);
  for (const QuarantineItem& item : listing.value.items) {
    if (item.record.id != id) continue;
    const bool present = item.state == QuarantineItemState::kQuarantined;
    if (!present && !(missingToo && item.state == QuarantineItemState::kMissing)) break;
    record = item.record;
    Result<UniqueFd> opened = OpenQuarantineFolder(store, false);
    if (!opened.Ok()) return Failed(opened.cause);
    folder = std::move(opened.value);
    return {};
  }
  return {QuarantineChange::kNoSuchItem, 0};
}

QuarantineChangeResult Record(int folder, QuarantineRecord record, QuarantineOutcome outcome,
                              std::u16string_view to = {}) {
  const auto now = std::chrono::system_clock::now();
  record.outcome = outcome;
  record.time = UtcTimeText(now);
  record.to = to;
  const Result<void> appended = AppendIndexLines(folder, RecordLine(record));
  if (appended.Ok()) return {};
  return {QuarantineChange::kNotRecorded, appended.cause};
}

// Moves item `id` to `name` in `toFolder`, never replacing an entry: a
// rename, or on another file system a copy and the removal of the item.
QuarantineChangeResult MoveOut(int folder, const std::string& id, int toFolder,
                               const std::string& name, mode_t mode) {
  const UniqueFd item(::openat(folder, id.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  if (!item.IsValid()) return {QuarantineChange::kNoSuchItem, 0};
  if (RenameNoReplace(folder, id, toFolder, name) != 0) {
    if (errno == EEXIST) return {QuarantineChange::kTargetExists, 0};
    if (errno == ENOENT) return {QuarantineChange::kTargetMissing, 0};
    if (errno != EXDEV) return Failed(errno);
    if (const Result<void> copied = CopyFileInto(item.Get(), toFolder, name, mode); !copied.Ok()) {
      if (copied.cause == EEXIST) return {QuarantineChange::kTargetExists, 0};
      return Failed(copied.cause);
    }
    if (::unlinkat(folder, id.c_str(), 0) != 0) {
      const int cause = errno;
      (void)::unlinkat(toFolder, name.c_str(), 0);
      return Failed(cause);
    }
  }
  (void)::fchmod(item.Get(), mode);
  (void)::fsync(item.Get());
  SyncFolder(toFolder);
  SyncFolder(folder);
  return {};
}

// "/home/me/a.exe" as the host bytes it was recorded from, name by name.
bool HostPathOfRecord(std::u16string_view path, std::string& hostPath) {
  hostPath.clear();
  while (!path.empty()) {
    path.remove_prefix(1);  // the '/' in front of each name
    const std::size_t end = std::min(path.find(u'/'), path.size());
    const std::optional<std::string> name = DeviceNameToHost(path.substr(0, end));
    if (!name) return false;
    hostPath += "/" + *name;
    path.remove_prefix(end);
  }
  return !hostPath.empty();
}

}  // namespace

QuarantineChangeResult RestoreQuarantineItem(const Store& store, std::string_view id,
                                             const std::optional<std::filesystem::path>& hostPath) {
  UniqueFd folder;
  QuarantineRecord record;
  if (const QuarantineChangeResult found = FindItem(store, id, false, folder, record);
      found.change != QuarantineChange::kDone) {
    return found;
  }
  const mode_t mode = record.permissions & 07777;
  QuarantineChangeResult moved;
  std::u16string to;
  // A host file's record holds its absolute host path: it goes back there.
  std::optional<std::filesystem::path> target = hostPath;
  std::string recordedHostPath;
  if (!target && record.path.starts_with(u'/')) {
    if (!HostPathOfRecord(record.path, recordedHostPath)) return Failed(0);
    target = recordedHostPath;
  }
  if (target) {
    const std::filesystem::path absolute = std::filesystem::absolute(*target);
    moved = MoveOut(folder.Get(), record.id, AT_FDCWD, absolute.string(), mode);
    to = HostNameToDevice(absolute.native());
  } else {
    const Result<ResolvedEntry> found = ResolveStoreEntry(store, record.path);
    switch (found.status) {
      case FileStatus::kOk:
        return {QuarantineChange::kTargetExists, 0};
      case FileStatus::kFailed:
      case FileStatus::kLocked:
      case FileStatus::kNotRegular:
        return {QuarantineChange::kTargetMissing, 0};
      case FileStatus::kFileNotFound:
        break;
    }
    moved = MoveOut(folder.Get(), record.id, found.value.folder.Get(), found.value.entry.hostName,
                    mode);
    to = record.path;
  }
  if (moved.change != QuarantineChange::kDone) return moved;
  return Record(folder.Get(), record, QuarantineOutcome::kRestored, to);
}

QuarantineChangeResult PurgeQuarantineItem(const Store& store, std::string_view id) {
  UniqueFd folder;
  QuarantineRecord record;
  if (const QuarantineChangeResult found = FindItem(store, id, true, folder, record);
      found.change != QuarantineChange::kDone) {
    return found;
  }
  if (::unlinkat(folder.Get(), record.id.c_str(), 0) != 0 && errno != ENOENT) {
    return Failed(errno);
  }
  SyncFolder(folder.Get());
  return Record(folder.Get(), record, QuarantineOutcome::kPurged);
}

QuarantinePurge PurgeQuarantineOlderThan(const Store& store, std::uint64_t days,
                                         std::chrono::system_clock::time_point now) {
  QuarantinePurge purge;
  const Result<QuarantineListing> listing = ListQuarantine(store);
  if (!listing.Ok()) return {Failed(listing.cause)};
  const auto age = std::chrono::hours(24) * static_cast<std::int64_t>(days);
  for (const QuarantineItem& item : listing.value.items) {
    const bool held = item.state == QuarantineItemState::kQuarantined ||
                      item.state == QuarantineItemState::kMissing;
    const std::optional<std::chrono::system_clock::time_point> when =
        ParseUtcTime(item.record.time);
    if (!held || !when || now - *when < age) continue;
    const QuarantineChangeResult change = PurgeQuarantineItem(store, item.record.id);
    if (change.change == QuarantineChange::kDone) {
      ++purge.purged;
    } else {
      purge.result = Failed(change.cause);
    }
  }
  return purge;
}

}  // namespace kv
