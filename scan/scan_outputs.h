// ScanOutputs: the message boxes a scan asks and tells the user through,
// and the clock it dates its events by. The scan engine sits below the user
// interface, so the program's entry wires these to the console or GUI
// boxes; what a scan did goes out as events (scan_events.h).
//
// Entry points: ScanClock (HostClock: the host's), ScanOutputs.
// The clock is an interface so that a scan's dated lines and its pauses
// can be pinned by a test instead of timed.
#pragma once

#include <string_view>

#include "platform/clock.h"
#include "platform/message_boxes.h"

namespace kv {

class ScanClock {
 public:
  virtual ~ScanClock() = default;
  virtual LocalTime Now() const = 0;
  virtual void Pause(int milliseconds) const = 0;
};

// The host's local time and sleep.
class HostClock final : public ScanClock {
 public:
  LocalTime Now() const override;
  void Pause(int milliseconds) const override;
};

struct ScanOutputs {
  MessageBoxes& boxes;
  // Owns the boxes: the scan dialog, or null without a window.
  MessageOwner owner = nullptr;
  const ScanClock& clock;
};

}  // namespace kv
