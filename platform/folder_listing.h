// FolderListing: the host entries of one open folder, for the name lookup
// (store_path.cpp) and for FileFinder. Internal to the platform layer.
#pragma once

#include <dirent.h>

#include <memory>
#include <string>

namespace kv::platform {

enum class EntryKind { kFile, kFolder, kOther };  // kOther: links, pipes, devices...

class FolderListing {
 public:
  // Lists the folder open as `folder` (an O_PATH descriptor will do)
  // through a descriptor of its own.
  static bool Open(int folder, FolderListing& listing);

  // The next entry other than "." and ".."; false at the end or when the
  // host cannot read further.
  bool Next(std::string& hostName, EntryKind& kind);

  // The listed folder's own descriptor, for opening its entries (which
  // leaves the listing's position alone); -1 when nothing is listed.
  int Descriptor() const { return dir_ ? ::dirfd(dir_.get()) : -1; }

 private:
  struct Closer {
    void operator()(DIR* dir) const { ::closedir(dir); }
  };
  std::unique_ptr<DIR, Closer> dir_;
};

}  // namespace kv::platform
