// BackgroundWork and RunBusy.
#include "ui/background_work.h"

#include <QApplication>
#include <QPointer>
#include <vector>

namespace kv {

void BackgroundWork::Start(QObject* receiver, const std::function<void()>& work,
                           const std::function<void()>& done) {
  const bool started = thread_.Start([receiver, work, done] {
    work();
    QMetaObject::invokeMethod(receiver, done, Qt::QueuedConnection);
  });
  if (started) return;
  work();
  done();
}

void RunBusy(QWidget& window, const std::function<void()>& work) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  // The window's own controls only: a box owned by the window is a window
  // of its own and stays usable.
  std::vector<QPointer<QWidget>> disabled;
  for (QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->isWindow() || !child->isEnabled()) continue;
    child->setEnabled(false);
    disabled.emplace_back(child);
  }
  bool ended = false;
  {
    BackgroundWork background;
    background.Start(&window, work, [&ended] { ended = true; });
    while (!ended) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  for (const QPointer<QWidget>& child : disabled) {
    if (child != nullptr) child->setEnabled(true);
  }
  QApplication::restoreOverrideCursor();
}

}  // namespace kv
