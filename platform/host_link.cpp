// Link reading with a buffer that grows until the whole target fits:
// readlink cuts a long target silently, and a cut path could name another
// file.
#include "platform/host_link.h"

#include <unistd.h>

#include <vector>

namespace kv {

std::optional<std::string> ReadHostLink(const std::string& linkPath) {
  std::vector<char> buffer(4096);
  for (;;) {
    const ssize_t length = ::readlink(linkPath.c_str(), buffer.data(), buffer.size());
    if (length < 0) return std::nullopt;
    if (static_cast<std::size_t>(length) < buffer.size()) {
      return std::string(buffer.data(), static_cast<std::size_t>(length));
    }
    buffer.resize(buffer.size() * 2);  // filled to the brim: maybe cut
  }
}

std::optional<std::string> DescriptorHostPath(int fd) {
  return ReadHostLink("/proc/self/fd/" + std::to_string(fd));
}

}  // namespace kv
