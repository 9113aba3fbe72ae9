// Store: the prefix and store folders created and the store root opened
// once, at start-up; and the one read of the environment that names them.
#include "platform/store.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <system_error>
#include <vector>

#include "platform/environment.h"

namespace kv {
namespace {

// $HOME, else the account's home from the password database, else the
// current directory.
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

}  // namespace

Result<Store> Store::Open(const std::filesystem::path& prefix) {
  std::error_code error;
  Store opened;
  opened.prefixPath_ = std::filesystem::absolute(prefix, error);
  if (error) return Failure{FileStatus::kFailed, error.value()};
  opened.storePath_ = opened.prefixPath_ / "store";
  // Creation failing is not yet failure: another program may have made the
  // folder meanwhile. Whether the root opens decides.
  std::filesystem::create_directories(opened.storePath_, error);
  opened.root_ = UniqueFd(::open(opened.storePath_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!opened.root_.IsValid()) return HostFailure();
  return opened;
}

std::filesystem::path ChoosePrefix(const std::optional<std::string>& configured,
                                   const std::filesystem::path& home,
                                   const std::optional<std::string>& xdgDataHome) {
  if (configured && !configured->empty()) return *configured;
  std::error_code error;
  const std::filesystem::path earlier = home / ".kestrelvox";
  if (std::filesystem::exists(earlier, error)) return earlier;
  if (xdgDataHome && std::filesystem::path(*xdgDataHome).is_absolute()) {
    return std::filesystem::path(*xdgDataHome) / "kestrelvox";
  }
  return home / ".local" / "share" / "kestrelvox";
}

std::filesystem::path PrefixFromEnvironment() {
  const std::optional<std::string> configured = GetEnvironment("KESTRELVOX_PREFIX");
  if (configured && !configured->empty()) return *configured;
  return ChoosePrefix(configured, HomeDirectory(), GetEnvironment("XDG_DATA_HOME"));
}

}  // namespace kv
