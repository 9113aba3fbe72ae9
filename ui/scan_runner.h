// ScanRunner: runs the interactive scans one at a time on an engine
// thread, and carries each scan line to the scan dialog on the GUI thread.
//
// Entry points: ScanRunner (Start, IsBusy, WaitUntilIdle, Attach, Detach),
// ScanLineView.
//
// The hand-over: the session hands every line to the runner (its one
// receiver for the whole run). A line from the scan thread crosses to the
// GUI thread by a blocking queued call, so the scan waits until the dialog
// has shown and logged it, as the handset's synchronous message did; a
// line the dialog hands over itself is handled at once. The line goes to
// the dialog attached at that moment, or nowhere when none is (the dialog
// has ended after a confirmed Stop): the attached dialog is only read and
// changed on the GUI thread, so it needs no lock.
//
// A scan thread may outlive its dialog: after a confirmed Stop the dialog
// ends at once while the scan finishes. Every new scan, log view and
// database reload first calls WaitUntilIdle, which waits for that thread
// while still handling its hand-overs (the thread is blocked in one until
// the GUI thread takes it, so the GUI thread must not simply join), with
// the wait cursor and the user's input held back, so two scans never share
// the session and a reload never runs beside a scan.
#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <string_view>

#include "platform/engine_thread.h"
#include "scan/scan_session.h"

namespace kv::ui {

// Where the runner delivers lines on the GUI thread: the scan dialog.
class ScanLineView {
 public:
  virtual ~ScanLineView() = default;
  virtual void HandleLine(std::u16string_view line) = 0;
};

class ScanRunner final : public QObject, private ScanLineReceiver {
 public:
  // Becomes the session's receiver; `session` must outlive the runner.
  explicit ScanRunner(ScanSession& session);
  // Asks a running scan to stop and waits for its thread.
  ~ScanRunner() override;

  ScanSession& Session() { return session_; }

  // Runs `body` on a new engine thread; false when the host cannot create
  // one. Call only when idle.
  [[nodiscard]] bool Start(std::function<void()> body);

  // Whether a scan thread has been started and has not yet ended.
  bool IsBusy() const { return busy_; }

  // Returns once no scan thread runs (at once when none does).
  void WaitUntilIdle();

  void Attach(ScanLineView* view) { view_ = view; }
  void Detach(const ScanLineView* view) {
    if (view_ == view) view_ = nullptr;
  }

 private:
  void Receive(std::u16string_view line) override;
  void Deliver(std::u16string_view line);

  ScanSession& session_;
  platform::EngineThread thread_;
  ScanLineView* view_ = nullptr;  // GUI thread only
  bool busy_ = false;             // GUI thread only
  std::atomic<bool> bodyEnded_{false};
};

}  // namespace kv::ui
