// ScanLineFormatter: the handset's lines for the events of an interactive
// scan (memory, fast, full): what the scan dialog shows and what the
// activity log keeps of it, made in one place so the two never differ.
//
// Lines, by event: the start line "Y/M/D hh:mm:ss Start " with the mode's
// text and the hyphen rule; a finding (a deletion tried, or a process that
// could not be ended) gives its path, then "[n].Found Trojan," with
// "Delete successfully:" or "Can not delete:"; a file not checked gives
// "Can not check:" and its path; an ended process "Kill Trojan process:"
// and a deleted companion "Delete related file:" with their paths; the
// notes their texts; a stop the stop line; the end the hyphen rule and the
// dated closing line. The status line shows the file being checked, a
// finding's path, and nothing after any list line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "scan/scan_events.h"

namespace kv {

struct ScanLines {
  std::optional<std::u16string> status;  // the status line's new text, if it changes
  std::vector<std::u16string> list;      // list lines in the order they are added
  bool ended = false;                    // the scan is over
};

class ScanLineFormatter {
 public:
  ScanLines Lines(const ScanEvent& event);

  // The findings numbered so far.
  int Found() const { return found_; }

 private:
  void Finding(ScanLines& lines, std::u16string_view path, bool deleted);

  int found_ = 0;
};

// A note's line as the handset handed it over, its leading asterisk
// included (the self scan logs it so; a list line drops it).
std::u16string NoteLine(const ScanNoted& noted);

// A path as the texts show it: a scan's paths are device paths already.
std::u16string WithPath(int textId, std::u16string_view path);

}  // namespace kv
