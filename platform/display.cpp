// Probing the display by connecting to it: Qt ends the process when it
// cannot reach the display it is given, so the program asks first.
#include "platform/display.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include "platform/environment.h"
#include "platform/unique_fd.h"

namespace kv {
namespace {

constexpr int kTcpConnectMilliseconds = 2000;
constexpr int kX11TcpPortBase = 6000;

std::string EnvironmentOrEmpty(const char* name) {
  return GetEnvironment(name).value_or(std::string());
}

bool ConnectsToLocalSocket(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof(address.sun_path)) return false;
  std::memcpy(address.sun_path, path.data(), path.size());
  const UniqueFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!socket.IsValid()) return false;
  return ::connect(socket.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
}

bool ConnectsOverTcp(const std::string& host, int port) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
  bool connected = false;
  for (const addrinfo* entry = found; entry != nullptr && !connected; entry = entry->ai_next) {
    const UniqueFd socket(
        ::socket(entry->ai_family, entry->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket.IsValid()) continue;
    if (::connect(socket.Get(), entry->ai_addr, entry->ai_addrlen) == 0) {
      connected = true;
      break;
    }
    if (errno != EINPROGRESS) continue;
    pollfd waiting{socket.Get(), POLLOUT, 0};
    if (::poll(&waiting, 1, kTcpConnectMilliseconds) != 1) continue;
    int error = 0;
    socklen_t size = sizeof(error);
    connected = ::getsockopt(socket.Get(), SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
  }
  ::freeaddrinfo(found);
  return connected;
}

// "[host]:number[.screen]"; "unix" or no host is the local socket.
bool X11DisplayAnswers(const std::string& display) {
  const std::size_t colon = display.rfind(':');
  if (colon == std::string::npos) return false;
  const std::string host = display.substr(0, colon);
  const std::string rest = display.substr(colon + 1);
  const std::size_t digits = rest.find_first_not_of("0123456789");
  if (digits == 0 || (digits != std::string::npos && rest[digits] != '.')) return false;
  const std::string number = rest.substr(0, digits);
  if (number.empty() || number.size() > 5) return false;
  if (host.empty() || host == "unix") return ConnectsToLocalSocket("/tmp/.X11-unix/X" + number);
  return ConnectsOverTcp(host, kX11TcpPortBase + std::stoi(number));
}

bool WaylandDisplayAnswers(const std::string& name) {
  if (name.front() == '/') return ConnectsToLocalSocket(name);
  const std::string runtime = EnvironmentOrEmpty("XDG_RUNTIME_DIR");
  return !runtime.empty() && ConnectsToLocalSocket(runtime + "/" + name);
}

}  // namespace

bool DisplayNamed() {
  for (const char* name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY"}) {
    if (!EnvironmentOrEmpty(name).empty()) return true;
  }
  return false;
}

bool DisplayReachable() {
  if (!EnvironmentOrEmpty("QT_QPA_PLATFORM").empty()) return true;
  const std::string wayland = EnvironmentOrEmpty("WAYLAND_DISPLAY");
  if (!wayland.empty() && WaylandDisplayAnswers(wayland)) return true;
  const std::string x11 = EnvironmentOrEmpty("DISPLAY");
  return !x11.empty() && X11DisplayAnswers(x11);
}

BoxFace ChooseBoxFace() {
  const std::string forced = EnvironmentOrEmpty("KESTRELVOX_UI");
  if (forced == "console") return BoxFace::kConsole;
  if (forced == "gui") return BoxFace::kGui;
  return DisplayReachable() ? BoxFace::kGui : BoxFace::kConsole;
}

}  // namespace kv
