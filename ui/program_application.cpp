// Making the QApplication with Qt's abort turned into a clear ending.
#include "ui/program_application.h"

#include <QFont>
#include <QtGlobal>
#include <cstdlib>
#include <iostream>

namespace kv {
namespace {

QtMessageHandler previousHandler = nullptr;

void EndOnUnreachableDisplay(QtMsgType type, const QMessageLogContext& where,
                             const QString& message) {
  if (type != QtFatalMsg) {
    if (previousHandler != nullptr) previousHandler(type, where, message);
    return;
  }
  // Qt has already said why, as a warning of its own.
  std::cerr << "tarnwatch: the display cannot be reached; " << kNoDisplayHint;
  std::_Exit(kNoDisplayExitCode);
}

// Installs the handler for the construction of the application only: the
// QApplication is made in the initialiser list, between the two.
int InstallHandler() {
  previousHandler = qInstallMessageHandler(EndOnUnreachableDisplay);
  return 1;
}

}  // namespace

ProgramApplication::ProgramApplication() : argc_(InstallHandler()), application_(argc_, argv_) {
  qInstallMessageHandler(previousHandler);
  QApplication::setQuitOnLastWindowClosed(false);
  // The skin's captions name the handset's font.
  QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"));
}

}  // namespace kv
