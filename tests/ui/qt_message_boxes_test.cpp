// The GUI's message boxes: shown on the GUI thread whoever asks, the asker
// waiting for the answer; text, caption and the pressed button mapped; the
// box fitting the handset's screen.
#include <QLabel>
#include <QMessageBox>
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

// The longest notice, over a window of the handset's size: the text wraps
// and the box stays within the screen's width.
TEST(QtMessageBoxes, TheAskerGetsTheButtonPressedOnTheGuiThreadInABoxFittingTheScreen) {
  const struct {
    MessageButtons buttons;
    QMessageBox::StandardButton pressed;
    MessageAnswer answer;
    // Which waits for the answer given on the GUI thread; its box has no
    // owner, and stands alone.
    bool fromAnotherThread;
    HandsetScreen screen;
  } rows[] = {
      {MessageButtons::kYesNo, QMessageBox::Yes, MessageAnswer::kYes, true, {240, 320}},
      {MessageButtons::kYesNo, QMessageBox::No, MessageAnswer::kNo, false, {480, 640}},
      {MessageButtons::kYesNoCancel,
       QMessageBox::Cancel,
       MessageAnswer::kCancel,
       false,
       {240, 320}},
  };
  const std::u16string text(strings::LoadString(strings::kCabScanEnabled));
  for (const auto& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.answer));
    QtMessageBoxes boxes(row.screen);
    QWidget window;
    window.setFixedSize(row.screen.width, row.screen.height);
    window.show();
    QString shown;  // "<caption>|<text>"
    QRect geometry;
    bool wrapped = false;
    bool onGuiThread = false;
    AnswerNextBox(row.pressed, [&](QMessageBox& box) {
      shown = box.windowTitle() + u'|' + box.text();
      geometry = box.geometry();
      const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
      wrapped = label != nullptr && label->wordWrap();
      onGuiThread = box.thread() == qApp->thread();
    });
    std::atomic<bool> answered{false};
    MessageAnswer answer = MessageAnswer::kOk;
    auto ask = [&] {
      answer = boxes.Show(row.fromAnotherThread ? nullptr : &window, text, u"Question", row.buttons,
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
    EXPECT_EQ(shown, QStringLiteral("Question|") + QString::fromStdU16String(text));
    EXPECT_TRUE(onGuiThread);
    EXPECT_LE(geometry.width(), row.screen.width);
    EXPECT_GT(geometry.width(), row.screen.width / 2);
    EXPECT_LE(geometry.height(), row.screen.height);
    EXPECT_TRUE(wrapped);
  }
}

}  // namespace
}  // namespace kv::testing
