// Which face the message boxes take, and the console face itself. The
// display probe against real listening sockets (a Wayland-style local
// socket, an X server's TCP port) and names that nothing serves, and
// KESTRELVOX_UI forcing either face. Console message boxes on string
// streams: for each set of buttons and lines of input, the answer, the
// exact text written and the input left; texts printed as UTF-8; and two
// threads asking at once.
#include "platform/console_message_boxes.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>

#include "platform/display.h"
#include "platform/unique_fd.h"
#include "support/http_test_server.h"
#include "support/scoped_environment.h"
#include "support/temp_files.h"

namespace kv {
namespace {

using enum MessageButtons;
using testing::ScopedEnvironment;
using testing::TempDir;
const std::string kYesNoPrompt = "[Y]es [N]o? ";

struct Shown {
  MessageAnswer answer;
  std::string written;
  std::string unread;  // what the box left of the input
};

Shown ShowBox(MessageButtons buttons, const std::string& input,
              std::u16string_view text = u"Delete it?", std::u16string_view caption = u"Question") {
  std::istringstream in(input);
  std::ostringstream errors;
  ConsoleMessageBoxes boxes(in, errors);
  const MessageAnswer answer = boxes.Show(nullptr, text, caption, buttons, MessageIcon::kQuestion);
  std::string unread;
  std::getline(in, unread, '\0');
  return {answer, errors.str(), unread};
}

TEST(ConsoleMessageBoxes, AnswerTextAndInputTakenForEachButtonSetAndInput) {
  const std::string box = "Question\nDelete it?\n";
  const std::string all = "[Y]es [N]o [C]ancel? ";
  // buttons, input; the answer, what is written and what is left unread
  const std::tuple<MessageButtons, std::string, MessageAnswer, std::string, std::string> rows[] = {
      // clang-format off
      {kYesNoCancel, "  NO \nyes\n", MessageAnswer::kNo, box + all, "yes\n"},
      {kYesNoCancel, "Cancel\r\n", MessageAnswer::kCancel, box + all, ""},
      {kYesNoCancel, "maybe\n\nyEs\n", MessageAnswer::kYes, box + all + all + all, ""},
      {kYesNo, "c\nn\n", MessageAnswer::kNo, box + kYesNoPrompt + kYesNoPrompt, ""},
      {kYesNo, "y es\nY\n", MessageAnswer::kYes, box + kYesNoPrompt + kYesNoPrompt, ""},
      {kOkCancel, "ok\n", MessageAnswer::kOk, box + "[O]K [C]ancel? ", ""},
      // the end of the input: the most cautious button
      {kYesNoCancel, "x\n", MessageAnswer::kCancel, box + all + all + "\n", ""},
      {kYesNo, "cancel\n", MessageAnswer::kNo, box + kYesNoPrompt + kYesNoPrompt + "\n", ""},
      {kOkCancel, "", MessageAnswer::kCancel, box + "[O]K [C]ancel? \n", ""},
      // an OK box reads nothing
      {kOk, "y\nn\n", MessageAnswer::kOk, box + "[O]K\n", "y\nn\n"},
      // clang-format on
  };
  for (const auto& [buttons, input, answer, written, unread] : rows) {
    SCOPED_TRACE(input);
    const Shown shown = ShowBox(buttons, input);
    EXPECT_EQ(shown.answer, answer);
    EXPECT_EQ(shown.written, written);
    EXPECT_EQ(shown.unread, unread);
  }
}

TEST(ConsoleMessageBoxes, TextsPrintAsUtf8WithOneLineBreakAfterTheText) {
  EXPECT_EQ(ShowBox(kOk, "", u"Can not delete!\n", u"Warning").written,
            "Warning\nCan not delete!\n[O]K\n");
  EXPECT_EQ(ShowBox(kOk, "", u"", u"Error").written, "Error\n[O]K\n");
  EXPECT_EQ(ShowBox(kOk, "", u"line \u20AC \xDC00", u"\u8b66\u544a").written,
            "\xE8\xAD\xA6\xE5\x91\x8A\nline \xE2\x82\xAC \xEF\xBF\xBD\n[O]K\n");
}

TEST(ConsoleMessageBoxesThreaded, TwoThreadsAskingAtOnceGetWholeBoxesInTurn) {
  std::istringstream in("y\nn\n");
  std::ostringstream errors;
  ConsoleMessageBoxes boxes(in, errors);
  MessageAnswer first = MessageAnswer::kOk;
  MessageAnswer second = MessageAnswer::kOk;
  std::thread other(
      [&] { first = boxes.Show(nullptr, u"One?", u"A", kYesNo, MessageIcon::kQuestion); });
  second = boxes.Show(nullptr, u"Two?", u"B", kYesNo, MessageIcon::kQuestion);
  other.join();

  const std::string one = "A\nOne?\n" + kYesNoPrompt;
  const std::string two = "B\nTwo?\n" + kYesNoPrompt;
  const bool oneFirst = errors.str().starts_with(one);
  EXPECT_EQ(errors.str(), oneFirst ? one + two : two + one);
  EXPECT_EQ(first, oneFirst ? MessageAnswer::kYes : MessageAnswer::kNo);
  EXPECT_EQ(second, oneFirst ? MessageAnswer::kNo : MessageAnswer::kYes);
}

// A local socket listening at `path`; invalid when it cannot.
UniqueFd ListenOnLocalSocket(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.data(), path.size());
  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  const bool listening =
      ::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 &&
      ::listen(fd.Get(), 4) == 0;
  return listening ? std::move(fd) : UniqueFd();
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
  // X display n is served at TCP port 6000 + n; the port bound only refuses.
  int port = 0, refusing = 0;
  const UniqueFd x11 = testing::BoundLoopbackSocket(port);
  const UniqueFd bound = testing::BoundLoopbackSocket(refusing);
  ASSERT_EQ(::listen(x11.Get(), 4), 0);
  const std::string served = "127.0.0.1:" + std::to_string(port - 6000);

  // clang-format off
  const std::tuple<const char*, std::string, bool> cases[] = {
      {"WAYLAND_DISPLAY", "wayland-7", true}, {"WAYLAND_DISPLAY", runtime_.File("wayland-7"), true},
      {"WAYLAND_DISPLAY", "wayland-8", false}, {"DISPLAY", served, true},
      {"DISPLAY", served + ".0", true},
      {"DISPLAY", "127.0.0.1:" + std::to_string(refusing - 6000), false},
      {"DISPLAY", ":4093", false},  // no such local socket
      {"DISPLAY", "no-colon", false}, {"DISPLAY", ":1x", false}, {"DISPLAY", ":999999", false},
      {"QT_QPA_PLATFORM", "offscreen", true}};  // the user chose Qt's platform
  // clang-format on
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
