// Running a scan thread and carrying its lines to the GUI thread.
#include "ui/scan_runner.h"

#include <QApplication>
#include <QThread>

namespace kv::ui {

ScanRunner::ScanRunner(ScanSession& session) : session_(session) { session_.SetReceiver(this); }

ScanRunner::~ScanRunner() {
  session_.running.Stop();
  WaitUntilIdle();
  session_.SetReceiver(nullptr);
}

bool ScanRunner::Start(std::function<void()> body) {
  bodyEnded_ = false;
  busy_ = thread_.Start([this, body = std::move(body)] {
    body();
    bodyEnded_ = true;
    // Wakes WaitUntilIdle, which may be sleeping in the event loop.
    QMetaObject::invokeMethod(
        this, [] {}, Qt::QueuedConnection);
  });
  return busy_;
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
  if (withCursor) QApplication::restoreOverrideCursor();
}

void ScanRunner::Receive(std::u16string_view line) {
  if (QThread::currentThread() == thread()) {
    Deliver(line);
    return;
  }
  QMetaObject::invokeMethod(
      this, [this, line] { Deliver(line); }, Qt::BlockingQueuedConnection);
}

void ScanRunner::Deliver(std::u16string_view line) {
  if (view_ != nullptr) view_->HandleLine(line);
}

}  // namespace kv::ui
