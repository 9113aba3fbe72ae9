// Which face the message boxes take: the display probe against real
// listening sockets (a Wayland-style local socket, an X server's TCP port)
// and names that nothing serves, and KESTRELVOX_UI forcing either face.
#include "platform/display.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <tuple>

#include "platform/unique_fd.h"
#include "support/scoped_environment.h"
#include "support/temp_files.h"

namespace kv {
namespace {

using testing::ScopedEnvironment;
using testing::TempDir;

// A socket of `domain` listening at `address`; invalid when it cannot.
template <typename Address>
UniqueFd Listening(int domain, const Address& address) {
  UniqueFd fd(::socket(domain, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
      ::listen(fd.Get(), 4) != 0) {
    return {};
  }
  return fd;
}

UniqueFd ListenOnLocalSocket(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.data(), path.size());
  return Listening(AF_UNIX, address);
}

// Listens on 127.0.0.1 at the first free X display port from :100 on;
// `display` is the number it took.
UniqueFd ListenAsX11Display(int& display) {
  for (display = 100; display < 400; ++display) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(6000 + display));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (UniqueFd fd = Listening(AF_INET, address); fd.IsValid()) return fd;
  }
  return {};
}

class DisplayTest : public ::testing::Test {
 protected:
  DisplayTest() {
    for (const char* name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY", "KESTRELVOX_UI"}) {
      environment_.Set(name, std::nullopt);
    }
    environment_.Set("XDG_RUNTIME_DIR", runtime_.Path().string());
  }
  ScopedEnvironment environment_;
  TempDir runtime_;
};

TEST_F(DisplayTest, ReachableOnlyWhereSomethingListens) {
  const UniqueFd wayland = ListenOnLocalSocket(runtime_.File("wayland-7"));
  ASSERT_TRUE(wayland.IsValid());
  int number = 0;
  const UniqueFd x11 = ListenAsX11Display(number);
  ASSERT_TRUE(x11.IsValid());
  const std::string served = "127.0.0.1:" + std::to_string(number);

  const std::tuple<const char*, std::string, bool> cases[] = {
      {"WAYLAND_DISPLAY", "wayland-7", true},
      {"WAYLAND_DISPLAY", runtime_.File("wayland-7"), true},
      {"WAYLAND_DISPLAY", "wayland-8", false},
      {"DISPLAY", served, true},
      {"DISPLAY", served + ".0", true},
      {"DISPLAY", "127.0.0.1:" + std::to_string(number + 1), false},
      {"DISPLAY", ":4093", false},  // no such local socket
      {"DISPLAY", "no-colon", false},
      {"DISPLAY", ":1x", false},
      {"DISPLAY", ":999999", false},
      {"QT_QPA_PLATFORM", "offscreen", true},  // the user chose Qt's platform
  };
  for (const auto& [variable, value, reachable] : cases) {
    SCOPED_TRACE(std::string(variable) + "=" + value);
    ScopedEnvironment one;
    one.Set(variable, value);
    EXPECT_EQ(DisplayReachable(), reachable);
    EXPECT_EQ(ChooseBoxFace(), reachable ? BoxFace::kGui : BoxFace::kConsole);
  }
  EXPECT_FALSE(DisplayReachable());  // nothing named at all
}

TEST_F(DisplayTest, KestrelvoxUiForcesAFace) {
  environment_.Set("QT_QPA_PLATFORM", "offscreen").Set("KESTRELVOX_UI", "console");
  EXPECT_EQ(ChooseBoxFace(), BoxFace::kConsole);
  environment_.Set("QT_QPA_PLATFORM", std::nullopt).Set("KESTRELVOX_UI", "gui");
  EXPECT_EQ(ChooseBoxFace(), BoxFace::kGui);
  environment_.Set("KESTRELVOX_UI", "neither");  // an unknown word chooses nothing
  EXPECT_EQ(ChooseBoxFace(), BoxFace::kConsole);
}

}  // namespace
}  // namespace kv
