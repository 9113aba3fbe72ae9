// Device path splitting; the rules are in the header.
#include "platform/device_path.h"

#include "platform/limits.h"

namespace kv {

std::optional<std::vector<std::u16string>> SplitDevicePath(std::u16string_view path) {
  if (path.size() > limits::kMaxDevicePathUnits) return std::nullopt;
  std::vector<std::u16string> names;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    const std::u16string_view name = path.substr(start, end - start);
    if (name == u"..") return std::nullopt;
    if (!name.empty() && name != u".") names.emplace_back(name);
    start = end + 1;
  }
  return names;
}

}  // namespace kv
