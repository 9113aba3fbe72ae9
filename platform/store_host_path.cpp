// DevicePathOfHostPath: a host path the user handed over, turned into the
// device path of the same store entry. Judged on the text alone: the
// device path is then resolved like any other, links refused on the way.
#include <system_error>

#include "platform/host_name.h"
#include "platform/store.h"

namespace kv {

std::optional<std::u16string> DevicePathOfHostPath(const Store& store,
                                                   const std::filesystem::path& hostPath) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(hostPath, error);
  if (error || store.StorePath().empty()) return std::nullopt;
  const std::filesystem::path relative =
      absolute.lexically_normal().lexically_relative(store.StorePath().lexically_normal());
  if (relative.empty() || relative == "." || *relative.begin() == "..") return std::nullopt;
  std::u16string devicePath;
  for (const std::filesystem::path& name : relative) {
    if (name.empty() || name == ".") continue;
    devicePath += u'\\';
    devicePath += HostNameToDevice(name.native());
  }
  if (devicePath.empty()) return std::nullopt;
  return devicePath;
}

}  // namespace kv
