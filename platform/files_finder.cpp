// FileFinder: find-first/find-next over one store folder, listing only
// folders and regular files (see files.h for why), and opening the files it
// lists relative to the folder it holds open.
#include <sys/stat.h>

#include <cerrno>
#include <new>
#include <optional>

#include "platform/fault_injection.h"
#include "platform/files.h"
#include "platform/folder_listing.h"
#include "platform/host_name.h"
#include "platform/store_path.h"

namespace kv {

FileFinder::FileFinder() = default;
FileFinder::FileFinder(FileFinder&&) noexcept = default;
FileFinder& FileFinder::operator=(FileFinder&&) noexcept = default;
FileFinder::~FileFinder() = default;

Result<FirstFound> FileFinder::FindFirst(const Store& store, std::u16string_view folderPath) {
  const Result<UniqueFd> folder = OpenStoreFolder(store, folderPath);
  if (!folder.Ok()) return Failure{FileStatus::kFailed, folder.cause};
  Result<FolderListing> listing = FolderListing::Open(folder.value.Get());
  if (!listing.Ok()) return listing.Error();
  Result<FirstFound> found;
  found.value.finder.listing_ = std::make_shared<FolderListing>(std::move(listing.value));
  std::optional<FindEntry> first = found.value.finder.FindNext();
  if (!first) return Failure{FileStatus::kFileNotFound, 0};
  found.value.entry = std::move(*first);
  return found;
}

std::optional<FindEntry> FileFinder::FindNext() {
  if (!listing_) return std::nullopt;
  if (ConsumeFault(FaultPoint::kListingMemory)) throw std::bad_alloc();
  lastFileHostName_.clear();
  while (std::optional<ListedEntry> listed = listing_->Next()) {
    if (listed->kind == EntryKind::kOther) continue;
    FindEntry entry{HostNameToDevice(listed->hostName), listed->kind == EntryKind::kFolder};
    if (!entry.isDirectory) lastFileHostName_ = std::move(listed->hostName);
    return entry;
  }
  return std::nullopt;
}

Result<File> FileFinder::OpenFile(std::u16string_view name, Sharing sharing) const {
  if (!listing_) return Failure{FileStatus::kFailed, EBADF};
  if (const std::optional<ListedFile> listed = LastListedFile(name)) return listed->Open(sharing);
  const Result<StoreEntry> found = LookUpStoreEntry(listing_->Descriptor(), name);
  if (!found.Ok()) return found.Error();
  return File::OpenStoreEntry(found.value, sharing);
}

std::optional<ListedFile> FileFinder::LastListedFile(std::u16string_view name) const {
  if (!listing_ || lastFileHostName_.empty() || DeviceNameToHost(name) != lastFileHostName_) {
    return std::nullopt;
  }
  ListedFile listed;
  listed.listing_ = listing_;
  listed.hostName_ = lastFileHostName_;
  return listed;
}

// The file is opened by the spelling the listing gave, with no second
// look-up by name: the open refuses a link put there since, and the lock's
// check anything but a regular file.
Result<File> ListedFile::Open(Sharing sharing) const {
  StoreEntry entry{listing_->Descriptor(), hostName_, {}};
  entry.status.st_mode = S_IFREG;
  return File::OpenStoreEntry(entry, sharing);
}

}  // namespace kv
