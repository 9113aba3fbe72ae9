// ListQuarantine (quarantine.h): the index folded into one entry per item,
// checked against the folder's files, after interrupted moves are finished.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <map>

#include "platform/quarantine.h"
#include "platform/quarantine_folder.h"

namespace kv {
namespace {

constexpr std::array<std::string_view, 6> kStateNames = {"quarantined", "missing", "deleted",
                                                         "restored",    "purged",  "unrecorded"};

QuarantineItemState StateOf(const QuarantineRecord& latest, int folder) {
  switch (latest.outcome) {
    case QuarantineOutcome::kQuarantined: {
      struct stat status {};
      const bool present =
          ::fstatat(folder, latest.id.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
          S_ISREG(status.st_mode);
      return present ? QuarantineItemState::kQuarantined : QuarantineItemState::kMissing;
    }
    case QuarantineOutcome::kDeleted:
      return QuarantineItemState::kDeleted;
    case QuarantineOutcome::kRestored:
      return QuarantineItemState::kRestored;
    case QuarantineOutcome::kPurged:
      break;
  }
  return QuarantineItemState::kPurged;
}

// Item files the index does not know, listed as unrecorded.
void AddUnrecorded(int folder, const std::map<std::string, std::size_t>& known,
                   QuarantineListing& listing) {
  const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* dir = listed < 0 ? nullptr : ::fdopendir(listed);
  if (dir == nullptr) {
    if (listed >= 0) ::close(listed);
    return;
  }
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    struct stat status {};
    if (!IsItemId(name) || known.contains(name) ||
        ::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(status.st_mode)) {
      continue;
    }
    QuarantineItem item;
    item.record.id = name;
    item.record.size = static_cast<std::uint64_t>(status.st_size);
    item.state = QuarantineItemState::kUnrecorded;
    item.latest = item.record;
    listing.items.push_back(std::move(item));
  }
  ::closedir(dir);
}

}  // namespace

std::string_view ItemStateName(QuarantineItemState state) {
  return kStateNames[static_cast<std::size_t>(state)];
}

Result<QuarantineListing> ListQuarantine(const Store& store) {
  const Result<UniqueFd> folder = OpenQuarantineFolder(store, false);
  if (folder.status == FileStatus::kFileNotFound) return QuarantineListing{};
  if (!folder.Ok()) return folder.Error();
  FinishInterruptedMoves(store, folder.value.Get());
  Result<IndexRecords> index = ReadIndex(folder.value.Get());
  if (!index.Ok()) return index.Error();
  QuarantineListing listing;
  listing.unreadableLines = index.value.unreadable;
  std::map<std::string, std::size_t> byId;
  for (QuarantineRecord& record : index.value.records) {
    const auto known = byId.find(record.id);
    const bool opens = record.outcome == QuarantineOutcome::kQuarantined ||
                       record.outcome == QuarantineOutcome::kDeleted;
    if (known == byId.end()) {
      if (!opens) {
        ++listing.unreadableLines;  // a restore or purge of an item never recorded
        continue;
      }
      byId.emplace(record.id, listing.items.size());
      listing.items.push_back({record, {}, record});
    } else {
      listing.items[known->second].latest = std::move(record);
    }
  }
  for (QuarantineItem& item : listing.items) item.state = StateOf(item.latest, folder.value.Get());
  AddUnrecorded(folder.value.Get(), byId, listing);
  return listing;
}

}  // namespace kv
