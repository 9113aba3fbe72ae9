// A process's executable located in the store. The kernel names it by path
// (/proc/<pid>/exe); a path that begins with the store root's is turned into
// a device path and resolved again through the store, without links, to the
// very file (device and inode) the process runs. So a name that only looks
// right (a file named "x (deleted)", a name holding "\", a store reached
// through another mount) never passes for the executable.
#include "platform/process_executable.h"

#include <sys/stat.h>

#include <string_view>

#include "platform/host_link.h"
#include "platform/host_name.h"
#include "platform/store_path.h"

namespace kv::platform {
namespace {

// What the kernel appends to the path of a file that has been deleted.
constexpr std::string_view kDeletedMark = " (deleted)";

// "Program Files/Tool/evil.exe" -> "\Program Files\Tool\evil.exe". false
// for a name that no device path can spell (empty, or holding "\").
bool DevicePathOfRelativeHostPath(std::string_view relative, std::u16string& devicePath) {
  devicePath.clear();
  while (!relative.empty()) {
    const std::size_t slash = relative.find('/');
    const std::u16string name = HostNameToDevice(relative.substr(0, slash));
    if (name.empty() || name.find(u'\\') != std::u16string::npos) return false;
    devicePath += u'\\';
    devicePath += name;
    relative = slash == std::string_view::npos ? std::string_view() : relative.substr(slash + 1);
  }
  return !devicePath.empty();
}

}  // namespace

bool StoreRootHostPath(const Store& store, std::string& rootPath) {
  if (store.RootDescriptor() < 0 || !DescriptorHostPath(store.RootDescriptor(), rootPath)) {
    return false;
  }
  if (!rootPath.ends_with('/')) rootPath += '/';  // only "/" itself ends so
  return true;
}

bool FindProcessExecutable(const Store& store, const std::string& rootPath, int id,
                           std::u16string& devicePath) {
  const std::string exeLink = "/proc/" + std::to_string(id) + "/exe";
  std::string target;
  struct stat executable {};
  if (!ReadHostLink(exeLink, target) || ::stat(exeLink.c_str(), &executable) != 0) return false;
  std::string_view relative(target);
  if (!relative.starts_with(rootPath)) return false;
  relative.remove_prefix(rootPath.size());

  if (executable.st_nlink == 0) {  // deleted: no file left to check against
    if (!relative.ends_with(kDeletedMark)) return false;
    relative.remove_suffix(kDeletedMark.size());
    return DevicePathOfRelativeHostPath(relative, devicePath);
  }
  UniqueFd folder;
  StoreEntry entry;
  return DevicePathOfRelativeHostPath(relative, devicePath) &&
         ResolveStoreEntry(store, devicePath, folder, entry) == FileStatus::kOk &&
         entry.status.st_dev == executable.st_dev && entry.status.st_ino == executable.st_ino;
}

}  // namespace kv::platform
