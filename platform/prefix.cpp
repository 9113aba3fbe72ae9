// The device prefix and its file store; see the header.
#include "platform/prefix.h"

#include <pwd.h>
#include <unistd.h>

#include <system_error>
#include <vector>

#include "platform/environment.h"

namespace kv::platform {
namespace {

// $HOME, else the account's home from the password database, else the
// current directory: a prefix must always have somewhere to live.
std::filesystem::path HomeDirectory() {
  if (auto home = GetEnvironment("HOME"); home && !home->empty()) return *home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
      found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] != '\0') {
    return found->pw_dir;
  }
  return ".";
}

std::filesystem::path CreatedDirectory(std::filesystem::path path) {
  std::error_code ignored;  // a failure shows up at the first file operation
  std::filesystem::create_directories(path, ignored);
  return path;
}

}  // namespace

std::filesystem::path PrefixDirectory() {
  if (auto configured = GetEnvironment("KESTRELVOX_PREFIX"); configured && !configured->empty()) {
    return CreatedDirectory(*configured);
  }
  return CreatedDirectory(HomeDirectory() / ".kestrelvox");
}

std::filesystem::path StoreDirectory() { return CreatedDirectory(PrefixDirectory() / "store"); }

}  // namespace kv::platform
