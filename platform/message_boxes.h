// MessageBoxes: the one interface through which the program asks the user
// something or tells them something, with two faces: Qt message boxes in
// the GUI, console boxes without a display (console_message_boxes.h).
//
// Entry point: MessageBoxes::Show. Any thread may call it; it returns the
// button the user chose.
#pragma once

#include <string_view>

namespace kv {

// kOkCancel: the Full Scan question.
enum class MessageButtons { kOk, kOkCancel, kYesNo, kYesNoCancel };
enum class MessageIcon { kInformation, kWarning, kQuestion, kError };
enum class MessageAnswer { kOk, kYes, kNo, kCancel };

// The window that owns a box, opaque below the GUI; null: no owner (the
// desktop).
using MessageOwner = const void*;

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;

  // Shows `text` under `caption` with `buttons` and `icon` and waits for the
  // answer.
  virtual MessageAnswer Show(MessageOwner owner, std::u16string_view text,
                             std::u16string_view caption, MessageButtons buttons,
                             MessageIcon icon) = 0;
};

}  // namespace kv
