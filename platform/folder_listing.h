// FolderListing: the host entries of one open folder, for the name lookup
// (store_path.cpp) and for FileFinder. Internal to the platform layer.
#pragma once

#include <dirent.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/result.h"

namespace kv {

enum class EntryKind { kFile, kFolder, kOther };  // kOther: links, pipes, devices...

struct ListedEntry {
  std::string hostName;
  EntryKind kind = EntryKind::kOther;
};

class FolderListing {
 public:
  // Lists the folder open as `folder` (an O_PATH descriptor will do)
  // through a descriptor of its own.
  [[nodiscard]] static Result<FolderListing> Open(int folder);

  // The next entry other than "." and ".."; nothing at the end or when the
  // host cannot read further.
  std::optional<ListedEntry> Next();

  // The listed folder's own descriptor, for opening its entries (which
  // leaves the listing's position alone); -1 when nothing is listed.
  int Descriptor() const { return dir_ ? ::dirfd(dir_.get()) : -1; }

 private:
  struct Closer {
    void operator()(DIR* dir) const { ::closedir(dir); }
  };
  std::unique_ptr<DIR, Closer> dir_;
};

}  // namespace kv
