// The handset's file services on the host: open with sharing, size, read,
// read-only mapping, folder listing, "set attributes to normal", delete.
//
// Entry points: File, MappedView, FileFinder, SetNormalAttributes,
// DeleteStoreFile.
//
// Every path here is a device path: UTF-16, "\"-separated, rooted at the
// file store (see device_path.h for the exact rules). Resolution walks the
// path one folder at a time from the store's own descriptor and never
// follows a symbolic link, so no path, and no link swapped in while an
// operation runs, can reach or delete anything outside the store. Each name
// is found by its exact spelling first, then case-insensitively among the
// folder's entries (case_fold.h); when several entries match only
// case-insensitively, the one whose host name sorts first byte-wise wins.
//
// Results keep the handset's distinction that the scan engine depends on:
// "the folder exists, the file does not" (its error 2) apart from every
// other failure. The handset's read-only attribute is the owner's write
// permission: a file without it cannot be deleted until
// SetNormalAttributes has run, as on the handset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>

#include "platform/unique_fd.h"

namespace kv::platform {

// kFileNotFound: the folder exists, the file does not (the handset's
// error 2); a symbolic link counts as absent, as it is no file of the
// handset's. kFailed: anything else (missing folder or a link on the way
// there, lock, no access, bad path, a directory).
enum class FileStatus { kOk, kFileNotFound, kFailed };

// The handset's share modes, emulated with advisory flock locks taken
// without waiting. kNone (no sharing) fails at once when another opener
// holds any lock; kRead (share for reading) coexists with other kRead
// openers. Locks belong to one open, so two opens in one process exclude
// each other just as two processes do.
enum class Sharing { kNone, kRead };

// An open regular file of the store; closes (and so unlocks) on destruction.
class File {
 public:
  File() = default;
  File(File&&) noexcept = default;
  File& operator=(File&&) noexcept = default;

  // Opens an existing regular file for reading. A symbolic link is
  // kFileNotFound; a directory or any other kind of entry is kFailed, as is
  // a lock held against `sharing`.
  static FileStatus OpenForRead(std::u16string_view devicePath, Sharing sharing, File& file);

  bool IsOpen() const { return fd_.IsValid(); }
  bool Size(uint64_t& size) const;
  // The whole file from offset 0; false on a failed or short read, and when
  // the file is larger than `maxSize` (checked before anything is
  // allocated).
  bool ReadAll(std::string& content, uint64_t maxSize = std::numeric_limits<uint64_t>::max()) const;
  // Explicit close; false when closing fails. The file is closed either way.
  bool Close();

 private:
  friend class MappedView;
  UniqueFd fd_;
};

// A read-only mapping of a whole open file, unmapped on destruction. An
// empty file is never mapped.
class MappedView {
 public:
  MappedView() = default;
  MappedView(MappedView&& other) noexcept;
  MappedView& operator=(MappedView&& other) noexcept;
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;
  ~MappedView();

  // Maps the first `size` bytes of `file`, which the caller has sized. Fails
  // for size 0, for a size beyond the file's end (touching such pages would
  // kill the process) and when the host cannot map it. The view stays valid
  // after the file is closed.
  static bool Map(const File& file, uint64_t size, MappedView& view);

  const char* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  void Unmap();
  const char* data_ = nullptr;
  std::size_t size_ = 0;
};

// Adds the owner's write permission to a regular file (clearing the
// handset's read-only attribute). kFileNotFound when the folder exists and
// the file does not, or it is a link; a directory is kFailed.
FileStatus SetNormalAttributes(std::u16string_view devicePath);

// Deletes a regular file of the store. Never a directory, never through a
// link (a link itself is absent: kFileNotFound), never a file without the
// owner's write permission (the handset's read-only attribute).
FileStatus DeleteStoreFile(std::u16string_view devicePath);

// One entry of a folder listing.
struct FindEntry {
  std::u16string name;  // host name as a device name (host_name.h)
  bool isDirectory = false;
};

class FolderListing;

// Find-first/find-next listing of one folder, in the host's order. Only
// folders and regular files are listed: "." and ".." never (the handset
// lists neither, and a walk would enter "." forever), symbolic links never
// (walks neither enter nor check them), nor sockets, pipes or devices (the
// handset has none, and opening one could block or have effects).
class FileFinder {
 public:
  FileFinder();
  FileFinder(FileFinder&&) noexcept;
  FileFinder& operator=(FileFinder&&) noexcept;
  ~FileFinder();

  // Opens the folder `folderPath` ("" or "\" for the store root; a folder
  // path, not a search pattern) and gives its first entry. kFileNotFound
  // when the folder lists no entry; kFailed when it cannot be listed (it is
  // missing, not a folder, a link, or the path is bad).
  static FileStatus FindFirst(std::u16string_view folderPath, FileFinder& finder, FindEntry& entry);
  // The next entry; false at the end of the listing (or when the host
  // cannot read further).
  bool FindNext(FindEntry& entry);

 private:
  std::unique_ptr<FolderListing> listing_;
};

}  // namespace kv::platform
