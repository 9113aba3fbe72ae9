// The GUI's message boxes: shown on the GUI thread whoever asks, the asker
// waiting for the answer; text, caption and the pressed button mapped.
#include <QLabel>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <functional>
#include <thread>

#include "resources/string_table.h"
#include "ui/qt_message_boxes.h"
#include "ui_test_support.h"

namespace kv::testing {
namespace {

// Until a box shows, looks for it on the GUI thread; then lets `look` see
// it and presses `button`.
void AnswerNextBox(QMessageBox::StandardButton button,
                   const std::function<void(QMessageBox& box)>& look) {
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, button, look] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    look(*box);
    box->button(button)->click();
    timer->deleteLater();
    timer->stop();
  });
  timer->start(10);
}

TEST(QtMessageBoxes, TheAskerGetsTheButtonPressedOnTheGuiThread) {
  const struct {
    MessageButtons buttons;
    QMessageBox::StandardButton pressed;
    MessageAnswer answer;
    bool fromAnotherThread;  // which waits for the answer given on the GUI thread
  } rows[] = {
      {MessageButtons::kYesNo, QMessageBox::Yes, MessageAnswer::kYes, true},
      {MessageButtons::kYesNo, QMessageBox::No, MessageAnswer::kNo, false},
      {MessageButtons::kYesNoCancel, QMessageBox::Cancel, MessageAnswer::kCancel, false},
  };
  QtMessageBoxes boxes;
  for (const auto& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.answer));
    QString shown;  // "<caption>|<text>"
    bool onGuiThread = false;
    AnswerNextBox(row.pressed, [&](QMessageBox& box) {
      shown = box.windowTitle() + u'|' + box.text();
      onGuiThread = box.thread() == qApp->thread();
    });
    std::atomic<bool> answered{false};
    MessageAnswer answer = MessageAnswer::kOk;
    auto ask = [&] {
      answer = boxes.Show(nullptr, u"Scan is running,stop it?", u"Question", row.buttons,
                          MessageIcon::kQuestion);
      answered = true;
    };
    if (row.fromAnotherThread) {
      std::thread asker(ask);
      while (!answered) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
      asker.join();
    } else {
      ask();
    }
    EXPECT_EQ(answer, row.answer);
    EXPECT_EQ(shown, QStringLiteral("Question|Scan is running,stop it?"));
    EXPECT_TRUE(onGuiThread);
  }
}

// The longest notice, over a window of the handset's size: the text wraps
// and the box stays within the screen's width.
TEST(QtMessageBoxes, FitTheHandsetScreenAtBothSizes) {
  const struct { int width, height; } screens[] = {{240, 320}, {480, 640}};
  for (const auto& screen : screens) {
    SCOPED_TRACE(screen.width);
    QtMessageBoxes boxes(HandsetScreen{screen.width, screen.height});
    QWidget window;
    window.setFixedSize(screen.width, screen.height);
    window.show();
    QRect shown;
    bool wrapped = false;
    AnswerNextBox(QMessageBox::Ok, [&](QMessageBox& box) {
      shown = box.geometry();
      const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
      wrapped = label != nullptr && label->wordWrap();
    });
    (void)boxes.Show(&window, strings::LoadString(strings::kCabScanEnabled), u"Information",
                     MessageButtons::kOk, MessageIcon::kInformation);
    EXPECT_LE(shown.width(), screen.width);
    EXPECT_GT(shown.width(), screen.width / 2);
    EXPECT_LE(shown.height(), screen.height);
    EXPECT_TRUE(wrapped);
  }
}

}  // namespace
}  // namespace kv::testing
