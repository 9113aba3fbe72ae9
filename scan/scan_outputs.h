// ScanOutputs: where a scan's results go besides the hand-over lines, and
// the clock it dates them by. The scan engine sits below the log file and
// the user interface, so it reports through these interfaces and the
// program's entry wires them to the log file and the console or GUI boxes.
//
// Entry points: ScanLog, ScanClock (HostClock: the host's), ScanOutputs.
// The clock is an interface so that a scan's dated lines and its pauses
// can be pinned by a test instead of timed.
#pragma once

#include <string_view>

#include "platform/clock.h"
#include "platform/message_boxes.h"

namespace kv {

// The activity log, as far as a scan writes to it (the silent self scan's
// records).
class ScanLog {
 public:
  virtual ~ScanLog() = default;
  virtual void AppendLogRecord(std::u16string_view text) = 0;
};

class ScanClock {
 public:
  virtual ~ScanClock() = default;
  virtual platform::LocalTime Now() const = 0;
  virtual void Pause(int milliseconds) const = 0;
};

// The host's local time and sleep.
class HostClock final : public ScanClock {
 public:
  platform::LocalTime Now() const override;
  void Pause(int milliseconds) const override;
};

struct ScanOutputs {
  ScanLog& log;
  platform::MessageBoxes& boxes;
  // Owns the boxes: the scan dialog, or null without a window.
  platform::MessageOwner owner = nullptr;
  const ScanClock& clock;
};

}  // namespace kv
