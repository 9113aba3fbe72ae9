// Showing a message box on the GUI thread, whoever asks.
#include "ui/qt_message_boxes.h"

#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QThread>

#include "ui/handset_frame.h"
#include "ui/qt_text.h"

namespace kv {
namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kInformation:
      return QMessageBox::Information;
    case MessageIcon::kWarning:
      return QMessageBox::Warning;
    case MessageIcon::kQuestion:
      return QMessageBox::Question;
    case MessageIcon::kError:
      return QMessageBox::Critical;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::kOk:
      return QMessageBox::Ok;
    case MessageButtons::kOkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::kYesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::kYesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

MessageAnswer MostCautious(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::kOk:
      return MessageAnswer::kOk;
    case MessageButtons::kYesNo:
      return MessageAnswer::kNo;
    case MessageButtons::kOkCancel:
    case MessageButtons::kYesNoCancel:
      return MessageAnswer::kCancel;
  }
  return MessageAnswer::kOk;
}

// A QMessageBox held to the handset screen's width. Qt sizes the box
// again whenever it is shown or its layout changes, so it is held after
// each time.
class FittedMessageBox final : public QMessageBox {
 public:
  FittedMessageBox(MessageIcon icon, const QString& caption, const QString& text,
                   MessageButtons buttons, QWidget* owner, const HandsetScreen& screen)
      : QMessageBox(ToQtIcon(icon), caption, text, ToQtButtons(buttons), owner),
        maxWidth_(screen.width) {
    QFont frameFont = font();
    frameFont.setPixelSize(FrameFontPixels(screen.Scale()));
    setFont(frameFont);
  }

 protected:
  bool event(QEvent* event) override {
    const bool handled = QMessageBox::event(event);
    if (event->type() == QEvent::Show || event->type() == QEvent::LayoutRequest) Fit();
    return handled;
  }

 private:
  void Fit() {
    if (width() <= maxWidth_) return;
    if (auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
      label->setWordWrap(true);
    }
    const int height =
        layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(maxWidth_) : this->height();
    setFixedSize(maxWidth_, height);
  }

  int maxWidth_;
};

MessageAnswer ShowOnGuiThread(MessageOwner owner, const QString& text, const QString& caption,
                              MessageButtons buttons, MessageIcon icon,
                              const HandsetScreen& screen) {
  FittedMessageBox box(icon, caption, text, buttons, OwnerWidget(owner), screen);
  box.setTextFormat(Qt::PlainText);
  box.setEscapeButton(QMessageBox::NoButton);
  // The normal cursor over every box, even inside a wait (the update's).
  const bool waiting = QApplication::overrideCursor() != nullptr;
  if (waiting) QApplication::setOverrideCursor(Qt::ArrowCursor);
  const int pressed = box.exec();
  if (waiting) QApplication::restoreOverrideCursor();
  switch (pressed) {
    case QMessageBox::Ok:
      return MessageAnswer::kOk;
    case QMessageBox::Yes:
      return MessageAnswer::kYes;
    case QMessageBox::No:
      return MessageAnswer::kNo;
    case QMessageBox::Cancel:
      return MessageAnswer::kCancel;
    default:
      return MostCautious(buttons);
  }
}

}  // namespace

QWidget* OwnerWidget(MessageOwner owner) {
  // The GUI hands out its widgets as owners; only it turns them back.
  return const_cast<QWidget*>(static_cast<const QWidget*>(owner));
}

MessageAnswer QtMessageBoxes::Show(MessageOwner owner, std::u16string_view text,
                                   std::u16string_view caption, MessageButtons buttons,
                                   MessageIcon icon) {
  const QString qtText = ToQString(text);
  const QString qtCaption = ToQString(caption);
  QCoreApplication* application = QCoreApplication::instance();
  if (application == nullptr) return MostCautious(buttons);
  if (QThread::currentThread() == application->thread()) {
    return ShowOnGuiThread(owner, qtText, qtCaption, buttons, icon, screen_);
  }
  MessageAnswer answer = MostCautious(buttons);
  QMetaObject::invokeMethod(
      application,
      [&] { answer = ShowOnGuiThread(owner, qtText, qtCaption, buttons, icon, screen_); },
      Qt::BlockingQueuedConnection);
  return answer;
}

}  // namespace kv
