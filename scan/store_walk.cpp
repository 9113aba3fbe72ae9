// WalkStoreFolder: one recursion per folder level. A level costs one open
// folder descriptor and a path string; a path of at most 259 units nests at
// most 130 folders, so neither the stack nor the descriptors run out.
#include "scan/store_walk.h"

#include <array>
#include <optional>
#include <string>

#include "platform/limits.h"

namespace kv {

bool PassesExtensionFilter(std::u16string_view name) {
  static constexpr std::array<std::u16string_view, 6> kExtensions = {u".exe", u".EXE", u".dat",
                                                                     u".DAT", u".cab", u".CAB"};
  constexpr std::size_t kLength = 4;
  if (name.size() <= kLength) return false;
  const std::u16string_view ending = name.substr(name.size() - kLength);
  for (const std::u16string_view extension : kExtensions) {
    if (ending == extension) return true;
  }
  return false;
}

bool IsWalkedFolder(std::u16string_view name) { return !name.starts_with(u".."); }

WalkOutcome WalkStoreFolder(const Store& store, const StopToken& stop, std::u16string_view folder,
                            const ListedFileVisitor& visit) {
  if (stop.IsStopped()) return WalkOutcome::kStopped;
  Result<FirstFound> first = FileFinder::FindFirst(store, folder);
  switch (first.status) {
    case FileStatus::kOk:
      break;
    case FileStatus::kFileNotFound:  // an empty folder
      return WalkOutcome::kCompleted;
    case FileStatus::kFailed:
    case FileStatus::kLocked:
    case FileStatus::kNotRegular:
      return WalkOutcome::kUnlistable;
  }
  FileFinder& listing = first.value.finder;
  std::optional<FindEntry> next = std::move(first.value.entry);
  std::u16string path;
  do {
    stop.WaitWhilePaused();
    if (stop.IsStopped()) return WalkOutcome::kStopped;
    const FindEntry& entry = *next;
    path.assign(folder).append(u"\\").append(entry.name);
    const bool fits = path.size() <= limits::kMaxDevicePathUnits;
    if (entry.isDirectory) {
      if (!IsWalkedFolder(entry.name)) {
        // Skipped by design, as the handset did.
      } else if (!fits) {
        visit(path, nullptr, entry.name);  // a whole folder that cannot be checked
      } else if (WalkStoreFolder(store, stop, path, visit) == WalkOutcome::kStopped) {
        return WalkOutcome::kStopped;
      }
    } else if (PassesExtensionFilter(entry.name)) {
      visit(path, fits ? &listing : nullptr, entry.name);
    }
    if (stop.IsStopped()) return WalkOutcome::kStopped;
  } while ((next = listing.FindNext()));
  return WalkOutcome::kCompleted;
}

std::optional<std::uint64_t> CountStoreFiles(const Store& store, const StopToken& stop,
                                             std::u16string_view folder) {
  std::uint64_t files = 0;
  const WalkOutcome outcome = WalkStoreFolder(
      store, stop, folder,
      [&files](std::u16string_view, const FileFinder*, std::u16string_view) { ++files; });
  if (outcome == WalkOutcome::kStopped) return std::nullopt;
  return files;
}

}  // namespace kv
