// Showing a message box on the GUI thread, whoever asks.
#include "ui/qt_message_boxes.h"

#include <QApplication>
#include <QThread>

#include "ui/qt_text.h"

namespace kv::ui {
namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

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

MessageAnswer ShowOnGuiThread(platform::MessageOwner owner, const QString& text,
                              const QString& caption, MessageButtons buttons, MessageIcon icon) {
  QMessageBox box(ToQtIcon(icon), caption, text, ToQtButtons(buttons), OwnerWidget(owner));
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

QWidget* OwnerWidget(platform::MessageOwner owner) {
  // The GUI hands out its widgets as owners; only it turns them back.
  return const_cast<QWidget*>(static_cast<const QWidget*>(owner));
}

MessageAnswer QtMessageBoxes::Show(platform::MessageOwner owner, std::u16string_view text,
                                   std::u16string_view caption, MessageButtons buttons,
                                   MessageIcon icon) {
  const QString qtText = ToQString(text);
  const QString qtCaption = ToQString(caption);
  QCoreApplication* application = QCoreApplication::instance();
  if (application == nullptr) return MostCautious(buttons);
  if (QThread::currentThread() == application->thread()) {
    return ShowOnGuiThread(owner, qtText, qtCaption, buttons, icon);
  }
  MessageAnswer answer = MostCautious(buttons);
  QMetaObject::invokeMethod(
      application, [&] { answer = ShowOnGuiThread(owner, qtText, qtCaption, buttons, icon); },
      Qt::BlockingQueuedConnection);
  return answer;
}

}  // namespace kv::ui
