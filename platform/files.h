// The handset's file services on the host: open with sharing, size, whole-
// file and sequential reads, appends under a waiting lock, folder listing,
// "set attributes to normal", delete; and the opening of a host file the
// user names on a command line.
//
// Entry points: File, FileFinder, SetNormalAttributes, DeleteStoreFile,
// ReplaceStoreFile.
//
// Every store call takes the Store (store.h) first, and every path it takes
// is a device path: UTF-16, "\"-separated, rooted at the file store (see
// device_path.h for the exact rules). Resolution walks the path one folder
// at a time from the store root's descriptor and never follows a symbolic
// link, so no path, and no link swapped in while an operation runs, can
// reach or delete anything outside the store. Each name is found by its
// exact spelling first, then case-insensitively among the folder's entries
// (case_fold.h); when several entries match only case-insensitively, the
// one whose host name sorts first byte-wise wins.
//
// A file's bytes are read into memory with pread, never mapped: a mapping
// that another process truncates kills the reader with SIGBUS, and the
// advisory locks below stop no one who ignores them.
//
// Results (result.h) keep the handset's distinction that the scan engine
// depends on: "the folder exists, the file does not" (its error 2) apart
// from every other failure, and carry the host's cause of a failure. The handset's read-only
// attribute is the owner's write permission: a file without it cannot be deleted until
// SetNormalAttributes has run, as on the handset.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/file_digest.h"
#include "platform/result.h"
#include "platform/store.h"
#include "platform/unique_fd.h"

namespace kv {

// The handset's share modes, emulated with advisory flock locks taken
// without waiting. kNone (no sharing) fails at once when another opener
// holds any lock; kRead (share for reading) coexists with other kRead
// openers. Locks belong to one open, so two opens in one process exclude
// each other just as two processes do.
enum class Sharing { kNone, kRead };

// The outcome of taking a lock that may have to wait (File::Lock). kBusy:
// another opener still held a lock against it when the wait was over.
enum class LockStatus { kLocked, kBusy, kFailed };

struct StoreEntry;
struct HostEntry;

// Whether an open follows a symbolic link at the name it is given.
enum class LinkRule { kFollow, kRefuse };

// An open regular file; closes (and so unlocks) on destruction.
class File {
 public:
  File() = default;
  File(File&&) noexcept = default;
  File& operator=(File&&) noexcept = default;

  // Opens an existing regular file of the store for reading. A symbolic
  // link is kFileNotFound; a directory or any other kind of entry is
  // kNotRegular. While another opener holds a lock against `sharing`, tries
  // again until `lockWait` has passed (kLocked if it is still held then).
  [[nodiscard]] static Result<File> OpenForRead(const Store& store, std::u16string_view devicePath,
                                                Sharing sharing,
                                                std::chrono::milliseconds lockWait = {});

  // Opens a regular file of the store for appending, creating it empty when
  // it is missing; no lock is taken (see Lock). Never reaches a file through
  // a symbolic link nor creates one over a link: a link in its place, a
  // folder or any other kind of entry is kFailed, and so is a missing
  // folder. Never kFileNotFound.
  [[nodiscard]] static Result<File> OpenForAppend(const Store& store,
                                                  std::u16string_view devicePath);

  // Opens a host file the user named (a command-line argument), following
  // links, since the user chose the name. Anything but a regular file (a
  // directory, pipe, socket or device) is kFailed without blocking or
  // reading from it; a missing file is kFileNotFound. Locked as store opens
  // are. `links` kRefuse: a link at the name is absent (kFileNotFound).
  [[nodiscard]] static Result<File> OpenHostFile(const std::filesystem::path& hostPath,
                                                 Sharing sharing,
                                                 LinkRule links = LinkRule::kFollow);

  bool IsOpen() const { return fd_.IsValid(); }
  [[nodiscard]] Result<uint64_t> Size() const;
  // The open file's version (file_digest.h).
  [[nodiscard]] Result<FileVersion> Version() const;
  // The whole file from offset 0. Fails on a failed or short read (a short
  // read's cause is EIO), and when the file is larger than `maxSize`
  // (checked before anything is allocated, with the cause EFBIG). An empty
  // file is never read. A file opened for reading is read at the size it
  // had when the open took its lock.
  [[nodiscard]] Result<std::string> ReadAll(
      uint64_t maxSize = std::numeric_limits<uint64_t>::max()) const;
  // ReadAll into the front of `buffer`, which grows to the largest file
  // read and never shrinks: a scan reads file after file into one buffer,
  // and a fresh string, or a zero-filled one, per file would cost in the
  // scan's hot path. Gives the file's bytes, valid until `buffer` changes.
  [[nodiscard]] Result<std::string_view> ReadAllInto(
      std::string& buffer, uint64_t maxSize = std::numeric_limits<uint64_t>::max()) const;
  // The next bytes from the current position (0 at first) into `buffer`;
  // gives how many, 0 at the end of the file.
  [[nodiscard]] Result<std::size_t> Read(std::span<char> buffer);

  // Takes the advisory lock `sharing` calls for on this open file: exclusive
  // for kNone, shared for kRead (a lock already held is converted). While
  // another opener holds a lock against it, tries again until `maxWait` has
  // passed; zero fails at once, as the handset's share modes do.
  [[nodiscard]] LockStatus Lock(Sharing sharing, std::chrono::milliseconds maxWait);

  // Writes all of `bytes` to a file opened for appending. Every write lands
  // at the end of the file as it is at that moment, however far another
  // writer has grown it. Fails when the host writes fewer bytes, some of
  // which may then stand at the end (Truncate takes them back).
  [[nodiscard]] Result<void> Append(std::string_view bytes);

  // Cuts the file back to `size` bytes, undoing an append that failed
  // half-way.
  [[nodiscard]] Result<void> Truncate(uint64_t size);

  // Explicit close, failing when closing fails. The file is closed either
  // way.
  [[nodiscard]] Result<void> Close();

 private:
  friend class FileFinder;
  friend class ListedFile;
  friend Result<File> OpenWalkedFile(const HostEntry& entry, Sharing sharing);
  // Opens `entry` (a LookUpStoreEntry result) without following a link.
  static Result<File> OpenStoreEntry(const StoreEntry& entry, Sharing sharing,
                                     std::chrono::milliseconds lockWait = {});
  UniqueFd fd_;
  std::optional<uint64_t> lockedSize_;  // as a read open found it under its lock
};

// Adds the owner's write permission to a regular file (clearing the
// handset's read-only attribute). kFileNotFound when the folder exists and
// the file does not, or it is a link; a directory is kFailed.
[[nodiscard]] Result<void> SetNormalAttributes(const Store& store, std::u16string_view devicePath);

// Deletes a regular file of the store. Never a directory, never through a
// link (a link itself is absent: kFileNotFound), never a file without the
// owner's write permission (the handset's read-only attribute).
[[nodiscard]] Result<void> DeleteStoreFile(const Store& store, std::u16string_view devicePath);

// Replaces the store file `devicePath` with `content`, or creates it, so
// that it is never seen half written: the bytes go to a new file beside it
// (a hidden name in the same folder), which is flushed to the disk and then
// renamed over the old one. Any failure (the folder missing or reached
// through a link, the new file not created, a write or flush failing as on
// a full disk, the rename refused) removes the new file and leaves the old
// one as it was; a crash leaves at most a stray hidden file, which
// RemoveStrayReplacements (replacement_files.h) clears. An existing
// file matching the name ignoring case keeps its spelling. Anything but a
// regular file at that name (a folder, a pipe) is never replaced.
[[nodiscard]] Result<void> ReplaceStoreFile(const Store& store, std::u16string_view devicePath,
                                            std::string_view content);

// One entry of a folder listing.
struct FindEntry {
  std::u16string name;  // host name as a device name (host_name.h)
  bool isDirectory = false;
};

class FolderListing;
struct FirstFound;

// A regular file a FileFinder listed, to be opened later, on any thread,
// from the folder the finder held open, even once the finder has moved on
// or is gone (the folder stays open while a ListedFile refers to it).
class ListedFile {
 public:
  // Opens the file by the rules of FileFinder::OpenFile.
  [[nodiscard]] Result<File> Open(Sharing sharing) const;

 private:
  friend class FileFinder;
  std::shared_ptr<const FolderListing> listing_;
  std::string hostName_;
};

// Find-first/find-next listing of one folder, in the host's order, with the
// folder held open so that a walk opens the files it lists from there
// (OpenFile) without resolving their paths from the root again. Only
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
  // path, not a search pattern) and gives the finder with its first entry.
  // kFileNotFound when the folder lists no entry; kFailed when it cannot be
  // listed (it is missing, not a folder, a link, or the path is bad).
  [[nodiscard]] static Result<FirstFound> FindFirst(const Store& store,
                                                    std::u16string_view folderPath);
  // The next entry; nullopt at the end of the listing (or when the host
  // cannot read further).
  std::optional<FindEntry> FindNext();

  // Opens the entry `name` (a name this listing gave) of the listed folder
  // by the rules of File::OpenForRead. kFailed when no folder is listed.
  [[nodiscard]] Result<File> OpenFile(std::u16string_view name, Sharing sharing) const;
  // The last entry listed, for opening later, when it is the regular file
  // `name`; nothing for any other name.
  [[nodiscard]] std::optional<ListedFile> LastListedFile(std::u16string_view name) const;

 private:
  std::shared_ptr<FolderListing> listing_;
  // The host spelling of the last entry listed, when it is a regular file.
  std::string lastFileHostName_;
};

// A folder's finder and the first entry it listed.
struct FirstFound {
  FileFinder finder;
  FindEntry entry;
};

}  // namespace kv
