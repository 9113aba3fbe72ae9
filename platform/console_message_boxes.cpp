// Console message boxes (format in the header). Texts are UTF-16 inside the
// program and UTF-8 on the console; a lone surrogate prints as U+FFFD.
#include "platform/console_message_boxes.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/text.h"

namespace kv {
namespace {

struct Button {
  MessageAnswer answer;
  const char* label;  // as written on the button line
  const char* shortWord;
  const char* longWord;
};

constexpr Button kOkButton{MessageAnswer::kOk, "[O]K", "o", "ok"};
constexpr Button kYes{MessageAnswer::kYes, "[Y]es", "y", "yes"};
constexpr Button kNo{MessageAnswer::kNo, "[N]o", "n", "no"};
constexpr Button kCancel{MessageAnswer::kCancel, "[C]ancel", "c", "cancel"};

// A box's buttons, the most cautious last: it answers the end of input.
std::vector<Button> ButtonsOf(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::kOkCancel:
      return {kOkButton, kCancel};
    case MessageButtons::kYesNo:
      return {kYes, kNo};
    case MessageButtons::kYesNoCancel:
      return {kYes, kNo, kCancel};
    case MessageButtons::kOk:
      break;
  }
  return {};
}

std::string ButtonLine(const std::vector<Button>& buttons) {
  std::string line;
  for (const Button& button : buttons) {
    if (!line.empty()) line += ' ';
    line += button.label;
  }
  return line + "? ";
}

// The answer an input line names among `buttons`, if any.
std::optional<MessageAnswer> AnswerOf(std::string line, const std::vector<Button>& buttons) {
  const std::size_t first = line.find_first_not_of(" \t\r");
  if (first == std::string::npos) return std::nullopt;
  line = line.substr(first, line.find_last_not_of(" \t\r") + 1 - first);
  std::transform(line.begin(), line.end(), line.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  for (const Button& button : buttons) {
    if (line == button.shortWord || line == button.longWord) return button.answer;
  }
  return std::nullopt;
}

}  // namespace

ConsoleMessageBoxes::ConsoleMessageBoxes(std::istream& input, std::ostream& errors)
    : input_(input), errors_(errors) {}

MessageAnswer ConsoleMessageBoxes::Show(MessageOwner /*owner*/, std::u16string_view text,
                                        std::u16string_view caption, MessageButtons buttons,
                                        MessageIcon /*icon*/) {
  const std::lock_guard lock(mutex_);
  std::string box = Utf16ToUtf8(caption) + "\n" + Utf16ToUtf8(text);
  if (!box.ends_with('\n')) box += '\n';
  const std::vector<Button> choices = ButtonsOf(buttons);
  if (choices.empty()) {
    errors_ << box << "[O]K\n" << std::flush;
    return MessageAnswer::kOk;
  }
  errors_ << box;
  const std::string buttonLine = ButtonLine(choices);
  std::string line;
  for (;;) {
    errors_ << buttonLine << std::flush;
    if (!std::getline(input_, line)) {
      errors_ << "\n" << std::flush;
      return choices.back().answer;
    }
    if (const std::optional<MessageAnswer> answer = AnswerOf(line, choices)) return *answer;
  }
}

}  // namespace kv
