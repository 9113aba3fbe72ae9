// Link reading with a buffer that grows until the whole target fits:
// readlink cuts a long target silently, and a cut path could name another
// file.
#include "platform/host_link.h"

#include <unistd.h>

#include <vector>

namespace kv::platform {

bool ReadHostLink(const std::string& linkPath, std::string& target) {
  std::vector<char> buffer(4096);
  for (;;) {
    const ssize_t length = ::readlink(linkPath.c_str(), buffer.data(), buffer.size());
    if (length < 0) return false;
    if (static_cast<std::size_t>(length) < buffer.size()) {
      target.assign(buffer.data(), static_cast<std::size_t>(length));
      return true;
    }
    buffer.resize(buffer.size() * 2);  // filled to the brim: maybe cut
  }
}

bool DescriptorHostPath(int fd, std::string& path) {
  return ReadHostLink("/proc/self/fd/" + std::to_string(fd), path);
}

}  // namespace kv::platform
