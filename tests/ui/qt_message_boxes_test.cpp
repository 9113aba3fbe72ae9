// The GUI's message boxes: shown on the GUI thread whoever asks, the asker
// waiting for the answer; texts, caption, buttons and the answer mapped.
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <thread>

#include "ui/qt_message_boxes.h"
#include "ui_test_support.h"

namespace kv::testing {
namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

struct SeenBox {
  QString text;
  QString caption;
  bool onGuiThread = false;
};

// Until a box shows, looks for it on the GUI thread; then notes what it
// shows and presses `button`.
void AnswerNextBox(QMessageBox::StandardButton button, SeenBox& seen) {
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, button, &seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    seen = {box->text(), box->windowTitle(), QThread::currentThread() == qApp->thread()};
    box->button(button)->click();
    timer->deleteLater();
    timer->stop();
  });
  timer->start(10);
}

TEST(QtMessageBoxes, AnotherThreadWaitsForTheAnswerGivenOnTheGuiThread) {
  ui::QtMessageBoxes boxes;
  SeenBox seen;
  AnswerNextBox(QMessageBox::Yes, seen);
  std::atomic<bool> answered{false};
  MessageAnswer answer = MessageAnswer::kOk;
  std::thread asker([&] {
    answer = boxes.Show(nullptr, u"Scan is running,stop it?", u"Question", MessageButtons::kYesNo,
                        MessageIcon::kQuestion);
    answered = true;
  });
  while (!answered) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  asker.join();
  EXPECT_EQ(answer, MessageAnswer::kYes);
  EXPECT_EQ(seen.text, QStringLiteral("Scan is running,stop it?"));
  EXPECT_EQ(seen.caption, QStringLiteral("Question"));
  EXPECT_TRUE(seen.onGuiThread);
}

struct AnswerRow {
  MessageButtons buttons;
  QMessageBox::StandardButton pressed;
  MessageAnswer answer;
};

TEST(QtMessageBoxes, TheGuiThreadGetsThePressedButton) {
  const AnswerRow rows[] = {
      {MessageButtons::kOk, QMessageBox::Ok, MessageAnswer::kOk},
      {MessageButtons::kYesNo, QMessageBox::No, MessageAnswer::kNo},
      {MessageButtons::kYesNoCancel, QMessageBox::Cancel, MessageAnswer::kCancel},
      {MessageButtons::kYesNoCancel, QMessageBox::Yes, MessageAnswer::kYes},
  };
  ui::QtMessageBoxes boxes;
  for (const AnswerRow& row : rows) {
    SeenBox seen;
    AnswerNextBox(row.pressed, seen);
    EXPECT_EQ(boxes.Show(nullptr, u"Please stop scan first!\n", u"Information", row.buttons,
                         MessageIcon::kInformation),
              row.answer);
    EXPECT_EQ(seen.text, QStringLiteral("Please stop scan first!\n"));
  }
}

}  // namespace
}  // namespace kv::testing
