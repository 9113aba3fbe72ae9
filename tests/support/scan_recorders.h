// Stand-ins for a scan's surroundings: an observer that records its events
// (as a compact dump and as the handset's list lines), message boxes that
// record what they are given, and a clock that is always the same moment
// and records its pauses. They let a test pin a scan's events, lines and
// boxes byte for byte; everything else a scan touches is real.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_boxes.h"
#include "platform/text.h"
#include "scan/scan_events.h"
#include "scan/scan_lines.h"
#include "scan/scan_outputs.h"

namespace kv::testing {

inline std::string Utf8(std::u16string_view text) { return Utf16ToUtf8(text); }

// One event as a short line: "verdict \a.exe infected 1", "action
// delete-infected \a.exe ok", "finished checked=2 infected=1 ...".
inline std::string DumpEvent(const ScanEvent& event) {
  if (const auto* started = std::get_if<ScanStarted>(&event)) {
    return "started " + std::to_string(static_cast<int>(started->mode));
  }
  if (const auto* counted = std::get_if<ScanCounted>(&event)) {
    return "counted " + std::to_string(counted->files);
  }
  if (const auto* checking = std::get_if<FileChecking>(&event)) {
    return "checking " + Utf8(checking->path);
  }
  if (const auto* checked = std::get_if<FileVerdict>(&event)) {
    const Verdict& verdict = checked->verdict;
    std::string line = "verdict " + Utf8(checked->path) + " ";
    if (verdict.IsInfected()) return line + "infected " + std::to_string(verdict.signature + 1);
    if (verdict.IsClean()) return line + "clean";
    return line + "not checked (" + std::string(DescribeReason(verdict.reason)) + ")";
  }
  if (const auto* action = std::get_if<ActionTaken>(&event)) {
    static constexpr const char* kKinds[] = {"delete-infected", "delete-suspect",
                                             "delete-companion"};
    return std::string("action ") + kKinds[static_cast<int>(action->kind)] + " " +
           Utf8(action->path) + (action->succeeded ? " ok" : " failed");
  }
  if (const auto* ended = std::get_if<ProcessEnded>(&event)) {
    return "process " + Utf8(ended->executablePath) + (ended->succeeded ? " ended" : " not ended");
  }
  if (const auto* noted = std::get_if<ScanNoted>(&event)) {
    return "note " + Utf8(NoteLine(*noted));
  }
  if (std::holds_alternative<ScanStopped>(event)) return "stopped";
  const auto& finished = std::get<ScanFinished>(event);
  const ScanTally& tally = finished.tally;
  return std::string(finished.stopped ? "stopped-finished" : "finished") +
         " checked=" + std::to_string(tally.filesChecked) +
         " infected=" + std::to_string(tally.infected) +
         " not-checked=" + std::to_string(tally.notChecked) +
         " failed=" + std::to_string(tally.actionsFailed);
}

class RecordingObserver : public ScanObserver {
 public:
  void OnScanEvent(const ScanEvent& event) override {
    events.push_back(DumpEvent(event));
    for (const std::u16string& line : formatter_.Lines(event).list) lines.push_back(Utf8(line));
    if (onEvent) onEvent(event);
  }

  std::vector<std::string> events;  // DumpEvent of each
  std::vector<std::string> lines;   // the handset's list lines, oldest first
  // Called after each event is recorded, on the scan's thread.
  std::function<void(const ScanEvent&)> onEvent;

 private:
  ScanLineFormatter formatter_;
};

struct ShownBox {
  MessageOwner owner;
  std::string text;
  std::string caption;
  MessageButtons buttons;
  MessageIcon icon;
};

// Answers each box with the next queued answer; with none queued, with the
// box's most cautious button, as the console face does without input.
// `whileAsked` runs before each answer, as a user looks at the window first.
class RecordingBoxes : public MessageBoxes {
 public:
  MessageAnswer Show(MessageOwner owner, std::u16string_view text, std::u16string_view caption,
                     MessageButtons buttons, MessageIcon icon) override {
    shown.push_back({owner, Utf8(text), Utf8(caption), buttons, icon});
    if (whileAsked) whileAsked();
    if (!answers.empty()) {
      const MessageAnswer answer = answers.front();
      answers.pop_front();
      return answer;
    }
    if (buttons == MessageButtons::kOk) return MessageAnswer::kOk;
    return buttons == MessageButtons::kYesNo ? MessageAnswer::kNo : MessageAnswer::kCancel;
  }

  // Each box shown as "<caption>|<text>", a question's marked " (Yes/No)".
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const ShownBox& box : shown) {
      const bool question = box.buttons == MessageButtons::kYesNo;
      texts.push_back(box.caption + "|" + box.text + (question ? " (Yes/No)" : ""));
    }
    return texts;
  }

  std::vector<ShownBox> shown;
  std::deque<MessageAnswer> answers;
  std::function<void()> whileAsked;
};

// 2010/7/5 09:03:05, always.
class FixedClock : public ScanClock {
 public:
  LocalTime Now() const override { return {2010, 7, 5, 9, 3, 5}; }
  void Pause(int milliseconds) const override { pauses.push_back(milliseconds); }

  mutable std::vector<int> pauses;
};

// The surroundings of one test scan, owned together; its events reach the
// observer.
struct RecordedScan {
  RecordedScan() { events.Add(observer); }

  RecordingObserver observer;
  RecordingBoxes boxes;
  FixedClock clock;
  ScanOutputs outputs{boxes, nullptr, clock};
  ScanEvents events;
};

}  // namespace kv::testing
