// The GUI suite's main: the QApplication every GUI test needs, on Qt's
// offscreen platform unless the caller chose another, then GoogleTest.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  // As in the program: only the main window's own close ends the loop, so
  // a test that closes a window leaves no quit behind for the next one.
  QApplication::setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
