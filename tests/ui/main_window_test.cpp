// The main window: Full Scan's question, the quarantine's command, Exit,
// the loop's exit code when the window system closes it, the keyboard, and
// the database line an update renews.
#include <QTest>
#include <QTimer>

#include "resources/command_ids.h"
#include "support/quarantine_checks.h"
#include "support/update_bench.h"
#include "ui/main_window.h"
#include "ui/quarantine_dialog.h"
#include "ui_test_support.h"

namespace kv::testing {
namespace {

class MainWindowTest : public ::testing::Test {
 protected:
  SkinnedPrefix prefix_;
  PublishedDatabase database_;
  RegistryHive hive_{HivePath(prefix_.Store())};
  DataConnection connection_;
  ScanRunner runner_;
  FixedClock clock_;
  ScanServices scans_{
      prefix_.Store(), runner_, clock_,
      [this](ScanMode mode, const StopToken&, ScanObserver& view, const ScanOutputs&) {
        scanned_.push_back(mode);
        ScanEvents events;
        events.Add(view);
        events.Send(ScanStarted{mode, clock_.Now(), 0, 0, 0, 0});
        events.Send(ScanFinished{mode, clock_.Now(), false, {}});
      }};
  std::vector<ScanMode> scanned_;
  RecordingBoxes boxes_;
  std::vector<int> ended_;
  const UiContext context_{HandsetScreen{240, 320}, boxes_};
  MainWindowServices services_{
      prefix_.Store(), database_,     hive_,  nullptr,
      connection_,     std::string(), scans_, [this](int code) { ended_.push_back(code); }};
};

// Full Scan asks first: Cancel opens nothing, OK opens the scan's dialog,
// which runs the scan. The quarantine command opens its dialog on the
// quarantine. Each dialog holds the command until Back closes it (pressed
// until the scan has ended).
TEST_F(MainWindowTest, FullScanAndTheQuarantineOpenTheirDialogsUntilBack) {
  const std::string id = Quarantined(prefix_, "evil.exe", "MZ", u"Trojan.A");
  MainWindow window(context_, services_);
  boxes_.answers = {MessageAnswer::kCancel};
  window.OnCommand(ids::kFullScan);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].buttons, MessageButtons::kOkCancel);

  std::vector<std::string> listed;
  QTimer back;
  QObject::connect(&back, &QTimer::timeout, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (auto* scan = dynamic_cast<ScanDialog*>(dialog)) scan->OnCommand(ids::kBack);
    if (auto* quarantine = dynamic_cast<QuarantineDialog*>(dialog)) {
      for (const QuarantineLine& line : quarantine->Lines()) listed.push_back(line.item.record.id);
      EXPECT_TRUE(PressSoftKey(quarantine, ids::kBack));
    }
  });
  back.start(10);
  boxes_.answers = {MessageAnswer::kOk};
  window.OnCommand(ids::kFullScan);
  runner_.WaitUntilIdle();
  EXPECT_EQ(scanned_, std::vector<ScanMode>{ScanMode::kFull});
  window.OnCommand(ids::kQuarantine);
  EXPECT_EQ(listed, std::vector<std::string>{id});
}

// A close by the window system ends the loop with 1 and not the process;
// Exit (either key) ends the process with 0 and drops the banner.
TEST_F(MainWindowTest, AWindowSystemCloseEndsTheLoopWithOneAndExitTheProcessWithZero) {
  MainWindow window(context_, services_);
  window.show();
  QTimer::singleShot(0, &window, [&] { window.close(); });
  EXPECT_EQ(QApplication::exec(), 1);
  EXPECT_TRUE(ended_.empty());
  window.OnCommand(ids::kCancel);
  window.OnCommand(ids::kOk);
  EXPECT_EQ(ended_, (std::vector<int>{0, 0}));
  EXPECT_EQ(window.TitlePanel(), nullptr);
}

// Arrows and Tab move the focus over the buttons, the focused one wears
// the ring, Return clicks it, and F1 presses the left soft key (Exit).
TEST_F(MainWindowTest, TheKeyboardMovesTheFocusActivatesAndPressesTheSoftKeys) {
  MainWindow window(context_, services_);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  std::vector<int> clicked;
  for (int i = 0; i < 4; ++i) {
    QObject::connect(window.Button(i).Widget(), &QAbstractButton::clicked,
                     [&clicked, i] { clicked.push_back(i); });
  }
  EXPECT_EQ(QApplication::focusWidget(), window.Button(0).Widget());
  const std::pair<Qt::Key, int> moves[] = {
      {Qt::Key_Down, 1}, {Qt::Key_Tab, 2}, {Qt::Key_Right, 3}, {Qt::Key_Up, 2}, {Qt::Key_Left, 1}};
  for (const auto& [key, focus] : moves) {
    QTest::keyClick(QApplication::focusWidget(), key);
    EXPECT_EQ(QApplication::focusWidget(), window.Button(focus).Widget()) << key;
  }
  // The ring shows on the focused button's edge only.
  const QRgb ring = 0xff2f6fb8;
  EXPECT_EQ(window.Button(1).Widget()->grab().toImage().pixel(0, 16), ring);
  EXPECT_NE(window.Button(2).Widget()->grab().toImage().pixel(0, 16), ring);

  // A Return on the Fast Scan button (its click runs nothing here but the
  // connection above: the scan's dialog is stopped before it opens).
  window.Button(2).Widget()->setFocus();
  QObject::disconnect(window.Button(2).Widget(), &QAbstractButton::clicked, &window, nullptr);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(clicked, std::vector<int>{2});
  QTest::keyClick(&window, Qt::Key_F1);
  EXPECT_EQ(ended_, std::vector<int>{0});
}

TEST_F(MainWindowTest, TheDatabaseLineIsRenewedByAnUpdateRunOnAWorker) {
  ScopedEnvironment environment;
  environment.WithoutProxies();
  prefix_.WriteDatabase(kOldDatabase);
  (void)database_.Reload(prefix_.Store());
  // The server holds its version answer back, so the update is still
  // waiting for it while the window's loop must go on.
  TestHttpServer server;
  server.Answer(kVersionPath, {.body = "200\r\n", .delay = std::chrono::milliseconds(300)});
  server.Answer(kDatabasePath, {200, kNewDatabase});
  services_.updateServer = server.Url();
  MainWindow window(context_, services_);
  EXPECT_EQ(window.DatabaseLine()->text(), QStringLiteral("VirusDB 100 \u00B7 2 signatures"));
  EXPECT_LT(window.DatabaseLine()->geometry().top(), window.height());
  EXPECT_GE(window.DatabaseLine()->geometry().top(),
            window.Button(3).Widget()->geometry().bottom());

  int ticks = 0;
  bool buttonsHeld = true;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    ++ticks;
    buttonsHeld = buttonsHeld && !window.Button(0).Widget()->isEnabled();
  });
  timer.start(10);
  boxes_.answers = {MessageAnswer::kYes};
  window.OnCommand(ids::kUpdateVirusDb);
  timer.stop();
  EXPECT_GE(ticks, 10);
  EXPECT_TRUE(buttonsHeld);
  EXPECT_TRUE(window.Button(0).Widget()->isEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(window.DatabaseLine()->text(), QStringLiteral("VirusDB 200 \u00B7 2 signatures"));
}

}  // namespace
}  // namespace kv::testing
