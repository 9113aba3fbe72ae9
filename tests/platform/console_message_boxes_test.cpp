// Console message boxes on string streams: for each set of buttons and
// lines of input, the answer, the exact text written and the input left;
// texts printed as UTF-8; and two threads asking at once.
#include "platform/console_message_boxes.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <thread>
#include <tuple>

namespace kv {
namespace {

using enum MessageButtons;
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

}  // namespace
}  // namespace kv
