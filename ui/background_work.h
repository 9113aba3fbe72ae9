// Work that must not hold up the GUI thread: reading the log for its view,
// the database update's network exchange.
//
// Entry points: BackgroundWork, RunBusy.
// The work runs on an engine thread (the update compiles signatures) and
// its ending is handed back to the GUI thread through the event loop, so
// the window keeps painting and answering meanwhile. A message box the work
// asks for is shown by the GUI thread (qt_message_boxes.h). When the host
// cannot make a thread, the work runs on the GUI thread: late beats never.
#pragma once

#include <QObject>
#include <QWidget>
#include <functional>

#include "platform/engine_thread.h"

namespace kv {

class BackgroundWork {
 public:
  BackgroundWork() = default;
  BackgroundWork(const BackgroundWork&) = delete;
  BackgroundWork& operator=(const BackgroundWork&) = delete;
  // Waits for the work. Destroy it before `receiver`, so that `done` can
  // never run on an object that has gone.
  ~BackgroundWork() = default;

  // Runs `work` on a thread of its own, then `done` on the GUI thread, in
  // `receiver`'s context, once the event loop comes to it.
  void Start(QObject* receiver, const std::function<void()>& work,
             const std::function<void()>& done);

 private:
  EngineThread thread_;
};

// Runs `work` off the GUI thread and returns when it has ended, while the
// event loop keeps answering: the wait cursor shows and `window`'s
// controls are disabled meanwhile, so no command starts beside the work,
// but the boxes it asks for take their answers.
void RunBusy(QWidget& window, const std::function<void()>& work);

}  // namespace kv
