// The GUI thread's loop serving the boxes of a run on another thread.
#include "ui/run_with_qt_boxes.h"

#include <thread>

#include "app/exit_codes.h"
#include "ui/program_application.h"
#include "ui/qt_message_boxes.h"

namespace kv {

int RunWithQtMessageBoxes(const std::function<int(MessageBoxes& boxes)>& run) {
  ProgramApplication application;
  QtMessageBoxes boxes;
  int result = 0;
  std::thread worker([&] {
    try {
      result = run(boxes);
    } catch (const std::exception&) {
      result = kExitSilentMode;  // the run's own outcome was lost; it ended all the same
    }
    // Queued, so that it takes effect even when the run ends before the
    // loop has started.
    QMetaObject::invokeMethod(
        &application.Get(), [] { QApplication::quit(); }, Qt::QueuedConnection);
  });
  QApplication::exec();
  worker.join();
  return result;
}

}  // namespace kv
