// FileFinder: find-first/find-next over one store folder, listing only
// folders and regular files (see files.h for why), and opening the files it
// lists relative to the folder it holds open.
#include <new>

#include "platform/fault_injection.h"
#include "platform/files.h"
#include "platform/folder_listing.h"
#include "platform/host_name.h"
#include "platform/store_path.h"

namespace kv::platform {

FileFinder::FileFinder() = default;
FileFinder::FileFinder(FileFinder&&) noexcept = default;
FileFinder& FileFinder::operator=(FileFinder&&) noexcept = default;
FileFinder::~FileFinder() = default;

FileStatus FileFinder::FindFirst(const Store& store, std::u16string_view folderPath,
                                 FileFinder& finder, FindEntry& entry) {
  finder.listing_.reset();
  UniqueFd folder;
  if (OpenStoreFolder(store, folderPath, folder) != FileStatus::kOk) return FileStatus::kFailed;
  auto listing = std::make_unique<FolderListing>();
  if (!FolderListing::Open(folder.Get(), *listing)) return FileStatus::kFailed;
  finder.listing_ = std::move(listing);
  return finder.FindNext(entry) ? FileStatus::kOk : FileStatus::kFileNotFound;
}

bool FileFinder::FindNext(FindEntry& entry) {
  if (!listing_) return false;
  if (ConsumeFault(FaultPoint::kListingMemory)) throw std::bad_alloc();
  std::string hostName;
  EntryKind kind;
  while (listing_->Next(hostName, kind)) {
    if (kind == EntryKind::kOther) continue;
    entry.name = HostNameToDevice(hostName);
    entry.isDirectory = kind == EntryKind::kFolder;
    return true;
  }
  return false;
}

FileStatus FileFinder::OpenFile(std::u16string_view name, Sharing sharing, File& file) const {
  file = File();
  if (!listing_) return FileStatus::kFailed;
  StoreEntry entry;
  const FileStatus found = LookUpStoreEntry(listing_->Descriptor(), name, entry);
  if (found != FileStatus::kOk) return found;
  return File::OpenStoreEntry(entry, sharing, file);
}

}  // namespace kv::platform
