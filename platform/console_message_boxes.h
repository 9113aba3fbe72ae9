// ConsoleMessageBoxes: the message boxes' face without a display. The box
// is written to an error stream and the answer read as a line from an
// input stream, so the silent modes can ask and tell on a terminal or
// through pipes.
//
// Entry point: ConsoleMessageBoxes::Show. What a box writes, exactly:
//
//   <caption>\n
//   <text>\n            (no second \n when the text ends in one)
//   [Y]es [N]o [C]ancel  (the box's own buttons only), then "? " and the
//                        answer is read; an answer that names none of the
//                        buttons writes the button line again
//
// An answer is a line holding y or yes, n or no, c or cancel, in any letter
// case and with blanks around it. At the end of the input the box answers
// with its most cautious button (Cancel, else No) and ends the button line
// with "\n". A box with only OK writes "[O]K\n" and answers OK without
// reading. The icon and owner mean nothing on a console: the captions
// already say what kind of message it is.
#pragma once

#include <iostream>
#include <istream>
#include <mutex>
#include <ostream>

#include "platform/message_boxes.h"

namespace kv {

class ConsoleMessageBoxes final : public MessageBoxes {
 public:
  explicit ConsoleMessageBoxes(std::istream& input = std::cin, std::ostream& errors = std::cerr);

  // Any thread may ask; one box is shown at a time, and a second asker
  // waits until the first has its answer.
  MessageAnswer Show(MessageOwner owner, std::u16string_view text, std::u16string_view caption,
                     MessageButtons buttons, MessageIcon icon) override;

 private:
  std::mutex mutex_;
  std::istream& input_;
  std::ostream& errors_;
};

}  // namespace kv
