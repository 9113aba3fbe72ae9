// Running a scan thread and carrying its events to the GUI thread.
#include "ui/scan_runner.h"

#include <QApplication>
#include <QThread>

namespace kv {

ScanRunner::~ScanRunner() {
  Stop();
  WaitUntilIdle();
}

bool ScanRunner::Start(std::function<void(const StopToken& stop)> body) {
  bodyEnded_ = false;
  stop_ = std::make_shared<StopToken>();
  busy_ = thread_.Start([this, stop = stop_, body = std::move(body)] {
    body(*stop);
    bodyEnded_ = true;
    // Wakes WaitUntilIdle, which may be sleeping in the event loop.
    QMetaObject::invokeMethod(
        this, [] {}, Qt::QueuedConnection);
  });
  return busy_;
}

void ScanRunner::Stop() {
  if (stop_ != nullptr) stop_->Stop();
}

void ScanRunner::Pause() {
  if (stop_ != nullptr) stop_->Pause();
}

void ScanRunner::Resume() {
  if (stop_ != nullptr) stop_->Resume();
}

void ScanRunner::WaitUntilIdle() {
  if (!busy_) return;
  const bool withCursor = QApplication::instance() != nullptr;
  if (withCursor) QApplication::setOverrideCursor(Qt::WaitCursor);
  while (!bodyEnded_) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::WaitForMoreEvents);
  }
  thread_.Join();
  busy_ = false;
  stop_.reset();
  if (withCursor) QApplication::restoreOverrideCursor();
}

void ScanRunner::OnScanEvent(const ScanEvent& event) {
  if (QThread::currentThread() == thread()) {
    Deliver(event);
    return;
  }
  QMetaObject::invokeMethod(
      this, [this, &event] { Deliver(event); }, Qt::BlockingQueuedConnection);
}

void ScanRunner::Deliver(const ScanEvent& event) {
  if (view_ != nullptr) view_->HandleScanEvent(event);
}

}  // namespace kv
