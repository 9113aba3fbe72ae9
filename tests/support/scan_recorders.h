// Stand-ins for a scan's outputs: a receiver, a log and message boxes that
// record what they are given, and a clock that is always the same moment
// and records its pauses. They let a test pin a scan's lines, records and
// boxes byte for byte; everything else a scan touches is real.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_boxes.h"
#include "platform/text.h"
#include "scan/scan_outputs.h"
#include "scan/scan_session.h"

namespace kv::testing {

// UTF-8 copies of UTF-16 lines, for readable expectations and failures.
inline std::vector<std::string> ToUtf8(const std::vector<std::u16string>& lines) {
  std::vector<std::string> out;
  for (const std::u16string& line : lines) out.push_back(platform::Utf16ToUtf8(line));
  return out;
}

class RecordingReceiver : public ScanLineReceiver {
 public:
  void Receive(std::u16string_view line) override {
    lines.emplace_back(line);
    if (onLine) onLine(line);
  }
  std::vector<std::string> Utf8Lines() const { return ToUtf8(lines); }

  std::vector<std::u16string> lines;
  // Called after each line is recorded, on the scan's thread.
  std::function<void(std::u16string_view)> onLine;
};

class RecordingLog : public ScanLog {
 public:
  void AppendLogRecord(std::u16string_view text) override { records.emplace_back(text); }
  std::vector<std::string> Utf8Records() const { return ToUtf8(records); }

  std::vector<std::u16string> records;
};

struct ShownBox {
  platform::MessageOwner owner;
  std::string text;
  std::string caption;
  platform::MessageButtons buttons;
  platform::MessageIcon icon;
};

// Answers each box with the next queued answer; with none queued, with the
// box's most cautious button, as the console face does without input.
class RecordingBoxes : public platform::MessageBoxes {
 public:
  platform::MessageAnswer Show(platform::MessageOwner owner, std::u16string_view text,
                               std::u16string_view caption, platform::MessageButtons buttons,
                               platform::MessageIcon icon) override {
    shown.push_back(
        {owner, platform::Utf16ToUtf8(text), platform::Utf16ToUtf8(caption), buttons, icon});
    if (!answers.empty()) {
      const platform::MessageAnswer answer = answers.front();
      answers.pop_front();
      return answer;
    }
    switch (buttons) {
      case platform::MessageButtons::kOk:
        return platform::MessageAnswer::kOk;
      case platform::MessageButtons::kYesNo:
        return platform::MessageAnswer::kNo;
      case platform::MessageButtons::kOkCancel:
      case platform::MessageButtons::kYesNoCancel:
        break;
    }
    return platform::MessageAnswer::kCancel;
  }

  std::vector<ShownBox> shown;
  std::deque<platform::MessageAnswer> answers;
};

// 2010/7/5 09:03:05, always.
class FixedClock : public ScanClock {
 public:
  platform::LocalTime Now() const override { return {2010, 7, 5, 9, 3, 5}; }
  void Pause(int milliseconds) const override { pauses.push_back(milliseconds); }

  mutable std::vector<int> pauses;
};

// The outputs of one test scan, owned together.
struct RecordedOutputs {
  RecordingLog log;
  RecordingBoxes boxes;
  FixedClock clock;
  ScanOutputs outputs{log, boxes, nullptr, clock};
};

}  // namespace kv::testing
