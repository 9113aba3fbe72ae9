// Device path splitting; the rules are in the header.
#include "platform/device_path.h"

#include "platform/limits.h"

namespace kv::platform {

bool SplitDevicePath(std::u16string_view path, std::vector<std::u16string>& names) {
  names.clear();
  if (path.size() > limits::kMaxDevicePathUnits) return false;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    const std::u16string_view name = path.substr(start, end - start);
    if (name == u"..") return false;
    if (!name.empty() && name != u".") names.emplace_back(name);
    start = end + 1;
  }
  return true;
}

}  // namespace kv::platform
