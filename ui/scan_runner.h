// ScanRunner: runs the interactive scans one at a time on an engine
// thread, and carries each scan event to the scan dialog on the GUI thread.
//
// Entry points: ScanRunner (Start, Stop, Pause, Resume, IsBusy,
// WaitUntilIdle, Attach, Detach), ScanView.
//
// Each scan gets a stop token of its own, made by Start and kept by the
// runner, so a Stop reaches the scan it was meant for and nothing re-arms
// it. The runner observes the scan's events: an event from the scan thread
// crosses to the GUI thread by a blocking queued call, so the scan waits
// until the dialog has shown it; it goes to the dialog attached at that
// moment, or nowhere when none is (the dialog ended after a confirmed
// Stop). The activity log does not depend on it: the scan's own log writer
// observes the same events on the scan thread.
//
// A scan thread may outlive its dialog. Every new scan, log view and
// database reload first calls WaitUntilIdle, which waits for that thread
// while still handling its hand-overs (the thread is blocked in one until
// the GUI thread takes it, so the GUI thread must not simply join), with
// the wait cursor and the user's input held back.
#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>

#include "platform/engine_thread.h"
#include "scan/scan_events.h"
#include "scan/stop_token.h"

namespace kv {

// Where the runner delivers events on the GUI thread: the scan dialog.
class ScanView {
 public:
  virtual ~ScanView() = default;
  virtual void HandleScanEvent(const ScanEvent& event) = 0;
};

class ScanRunner final : public QObject, public ScanObserver {
 public:
  ScanRunner() = default;
  // Stops a running scan and waits for its thread.
  ~ScanRunner() override;

  // Runs `body` on a new engine thread with a new stop token; false when
  // the host cannot create one. Call only when idle.
  [[nodiscard]] bool Start(std::function<void(const StopToken& stop)> body);

  // Asks the running scan, if any, to stop.
  void Stop();

  // Holds the running scan, if any, at its next file or removal, until
  // Resume or Stop.
  void Pause();
  void Resume();

  // Whether a scan thread has been started and has not yet ended.
  bool IsBusy() const { return busy_; }

  // Returns once no scan thread runs (at once when none does).
  void WaitUntilIdle();

  void Attach(ScanView* view) { view_ = view; }
  void Detach(const ScanView* view) {
    if (view_ == view) view_ = nullptr;
  }

  // The scan's events, from any thread.
  void OnScanEvent(const ScanEvent& event) override;

 private:
  void Deliver(const ScanEvent& event);

  EngineThread thread_;
  std::shared_ptr<StopToken> stop_;  // the running scan's; GUI thread only
  ScanView* view_ = nullptr;         // GUI thread only
  bool busy_ = false;                // GUI thread only
  std::atomic<bool> bodyEnded_{false};
};

}  // namespace kv
