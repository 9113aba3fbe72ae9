// The GUI's message boxes: shown on the GUI thread whoever asks, the asker
// waiting for the answer; text, caption and the pressed button mapped.
#include <QLabel>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <thread>

#include "resources/string_table.h"
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

struct AnswerRow {
  MessageButtons buttons;
  QMessageBox::StandardButton pressed;
  MessageAnswer answer;
  bool fromAnotherThread;  // which waits for the answer given on the GUI thread
};

TEST(QtMessageBoxes, TheAskerGetsTheButtonPressedOnTheGuiThread) {
  const AnswerRow rows[] = {
      {MessageButtons::kYesNo, QMessageBox::Yes, MessageAnswer::kYes, true},
      {MessageButtons::kYesNo, QMessageBox::No, MessageAnswer::kNo, false},
      {MessageButtons::kYesNoCancel, QMessageBox::Cancel, MessageAnswer::kCancel, false},
  };
  ui::QtMessageBoxes boxes;
  for (const AnswerRow& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.answer));
    SeenBox seen;
    AnswerNextBox(row.pressed, seen);
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
    EXPECT_EQ(seen.text, QStringLiteral("Scan is running,stop it?"));
    EXPECT_EQ(seen.caption, QStringLiteral("Question"));
    EXPECT_TRUE(seen.onGuiThread);
  }
}

// The longest notice, over a window of the handset's size: the text
// wraps in the frame's font and the box stays within the screen's width.
TEST(QtMessageBoxes, FitTheHandsetScreenAtBothSizes) {
  const struct { int width, height, fontPixels; } screens[] = {{240, 320, 12}, {480, 640, 24}};
  for (const auto& screen : screens) {
    SCOPED_TRACE(screen.width);
    ui::QtMessageBoxes boxes(ui::HandsetScreen{screen.width, screen.height});
    QWidget window;
    window.setFixedSize(screen.width, screen.height);
    window.show();
    QRect shown;
    int fontPixels = 0;
    bool wrapped = false;
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [&, timer] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      shown = box->geometry();
      fontPixels = box->font().pixelSize();
      const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
      wrapped = label != nullptr && label->wordWrap();
      box->button(QMessageBox::Ok)->click();
      timer->deleteLater();
      timer->stop();
    });
    timer->start(10);
    (void)boxes.Show(&window, strings::LoadString(strings::kCabScanEnabled), u"Information",
                     MessageButtons::kOk, MessageIcon::kInformation);
    EXPECT_LE(shown.width(), screen.width);
    EXPECT_GT(shown.width(), screen.width / 2);
    EXPECT_LE(shown.height(), screen.height);
    EXPECT_EQ(fontPixels, screen.fontPixels);
    EXPECT_TRUE(wrapped);
  }
}

}  // namespace
}  // namespace kv::testing
