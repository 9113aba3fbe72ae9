// Console message boxes on string streams: for each set of buttons and
// lines of input, the answer and the exact text written; the end of input;
// an OK box that reads nothing; and two threads asking at once.
#include "platform/console_message_boxes.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <thread>
#include <tuple>

namespace kv::platform {
namespace {

constexpr MessageButtons kOk = MessageButtons::kOk;
constexpr MessageButtons kYesNo = MessageButtons::kYesNo;
constexpr MessageButtons kYesNoCancel = MessageButtons::kYesNoCancel;

const std::string kBox = "Question\nDelete it?\n";
const std::string kYesNoPrompt = "[Y]es [N]o? ";
const std::string kAllPrompt = "[Y]es [N]o [C]ancel? ";

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

TEST(ConsoleMessageBoxes, AnswerAndTextForEachButtonSetAndInput) {
  // clang-format off
  const std::tuple<MessageButtons, std::string, MessageAnswer, std::string> rows[] = {
      {kYesNoCancel, "y\n", MessageAnswer::kYes, kBox + kAllPrompt},
      {kYesNoCancel, "  NO \n", MessageAnswer::kNo, kBox + kAllPrompt},
      {kYesNoCancel, "Cancel\r\n", MessageAnswer::kCancel, kBox + kAllPrompt},
      {kYesNoCancel, "C", MessageAnswer::kCancel, kBox + kAllPrompt},
      {kYesNoCancel, "maybe\n\nyEs\n", MessageAnswer::kYes,
       kBox + kAllPrompt + kAllPrompt + kAllPrompt},
      {kYesNo, "c\nn\n", MessageAnswer::kNo, kBox + kYesNoPrompt + kYesNoPrompt},
      {kYesNo, "ok\nYES\n", MessageAnswer::kYes, kBox + kYesNoPrompt + kYesNoPrompt},
      {kYesNo, "y es\nN\n", MessageAnswer::kNo, kBox + kYesNoPrompt + kYesNoPrompt},
      // the end of the input: the most cautious button
      {kYesNoCancel, "", MessageAnswer::kCancel, kBox + kAllPrompt + "\n"},
      {kYesNoCancel, "x\n", MessageAnswer::kCancel, kBox + kAllPrompt + kAllPrompt + "\n"},
      {kYesNo, "", MessageAnswer::kNo, kBox + kYesNoPrompt + "\n"},
      {kYesNo, "cancel\n", MessageAnswer::kNo, kBox + kYesNoPrompt + kYesNoPrompt + "\n"},
      {kOk, "", MessageAnswer::kOk, kBox + "[O]K\n"},
      {MessageButtons::kOkCancel, "ok\n", MessageAnswer::kOk, kBox + "[O]K [C]ancel? "},
      {MessageButtons::kOkCancel, "", MessageAnswer::kCancel, kBox + "[O]K [C]ancel? \n"},
  };
  // clang-format on
  for (const auto& [buttons, input, answer, written] : rows) {
    const Shown shown = ShowBox(buttons, input);
    EXPECT_EQ(shown.answer, answer) << input;
    EXPECT_EQ(shown.written, written) << input;
  }
}

TEST(ConsoleMessageBoxes, AnswerLineIsTheOnlyInputTaken) {
  EXPECT_EQ(ShowBox(kYesNo, "n\ny\n").unread, "y\n");
  const Shown ok = ShowBox(kOk, "y\nn\n");
  EXPECT_EQ(ok.answer, MessageAnswer::kOk);
  EXPECT_EQ(ok.unread, "y\nn\n");
}

TEST(ConsoleMessageBoxes, TextsPrintAsUtf8WithOneLineBreakAfterTheText) {
  // clang-format off
  const std::tuple<std::u16string, std::u16string, std::string> rows[] = {
      {u"Information", u"Delete successfully!", "Information\nDelete successfully!\n[O]K\n"},
      {u"Warning", u"Can not delete!\n", "Warning\nCan not delete!\n[O]K\n"},
      {u"Error", u"", "Error\n[O]K\n"},
      {u"\u8b66\u544a", u"Line one\nline two \u20AC",
       "\xE8\xAD\xA6\xE5\x91\x8A\nLine one\nline two \xE2\x82\xAC\n[O]K\n"},
      {u"Lone", u"\xDC00", "Lone\n\xEF\xBF\xBD\n[O]K\n"},
  };
  // clang-format on
  for (const auto& [caption, text, written] : rows) {
    EXPECT_EQ(ShowBox(kOk, "", text, caption).written, written);
  }
}

TEST(ConsoleMessageBoxes, TwoThreadsAskingAtOnceGetWholeBoxesInTurn) {
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
  if (errors.str() == one + two) {
    EXPECT_EQ(first, MessageAnswer::kYes);
    EXPECT_EQ(second, MessageAnswer::kNo);
  } else {
    EXPECT_EQ(errors.str(), two + one);
    EXPECT_EQ(second, MessageAnswer::kYes);
    EXPECT_EQ(first, MessageAnswer::kNo);
  }
}

}  // namespace
}  // namespace kv::platform
