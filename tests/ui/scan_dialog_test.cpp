// The scan and log dialog: the list, status line and progress for scripted
// scan events, Back and Stop during a scan with scripted answers, the scan
// held by the stop question and logging what it does after its dialog is
// gone, long lines, and the log view.
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <semaphore>
#include <string>
#include <vector>

#include "log/log_file.h"
#include "log/log_reader.h"
#include "log/scan_log_writer.h"
#include "platform/files.h"
#include "platform/limits.h"
#include "resources/command_ids.h"
#include "ui/qt_text.h"
#include "ui/scan_dialog.h"
#include "ui_test_support.h"

namespace kv::testing {
namespace {

// A bound on waits for what must come, so that a fault fails the test
// instead of hanging it.
constexpr int kPatience = 60'000;

class ScanDialogTest : public ::testing::Test {
 protected:
  // A scan that sends the events of `script` to the dialog and to the
  // store's log writer, as the program's scan does; its stop token is
  // `stop_`.
  ScanServices Services(std::function<void(ScanEvents&)> script) {
    return ScanServices{prefix_.Store(), runner_, clock_,
                        [this, script](ScanMode mode, const StopToken& stop, ScanObserver& view,
                                       const ScanOutputs&) {
                          stop_ = &stop;
                          ScanLogWriter log(prefix_.Store());
                          ScanEvents events;
                          events.Add(log);
                          events.Add(view);
                          events.Send(ScanStarted{mode, clock_.Now(), 1, 1, 0, 0});
                          if (script) script(events);
                        }};
  }

  std::vector<std::string> ListLines(const ScanDialog& dialog) const {
    std::vector<std::string> lines;
    for (int i = 0; i < dialog.List()->count(); ++i) {
      lines.push_back(dialog.List()->item(i)->text().toStdString());
    }
    return lines;
  }

  std::vector<std::string> LogRecords() const {
    std::vector<std::u16string> lines;
    (void)ReadLogLines(prefix_.Store(), kLogPath, limits::kLogViewLineUnits, lines);
    std::vector<std::string> records;
    for (const std::u16string& line : lines) records.push_back(Utf16ToUtf8(line));
    return records;
  }

  static void Finish(ScanEvents& events) {
    events.Send(ScanFinished{ScanMode::kFull, {2010, 7, 5, 9, 4, 0}, false, events.Tally()});
  }

  SkinnedPrefix prefix_;
  ScanRunner runner_;
  FixedClock clock_;
  RecordingBoxes boxes_;
  UiContext context_{HandsetScreen{240, 320}, boxes_};
  std::binary_semaphore go_{0};
  const StopToken* stop_ = nullptr;
};

// The lines' texts are the scan's (tests/scan); the dialog shows them
// newest first under its summary, with the progress of the counted files.
// A line too long for the list is elided, with its full text as tooltip,
// and shown whole while selected.
TEST_F(ScanDialogTest, ListsTheLogsLinesNewestFirstUnderTheSummary) {
  const std::u16string longPath = u"\\Storage Card\\Program Files\\Some Vendor\\Game Data\\big.cab";
  ScanServices services = Services([&longPath](ScanEvents& events) {
    events.Send(ScanCounted{1});
    events.Send(FileChecking{u"\\Windows\\calc.exe"});
    events.Send(FileVerdict{u"\\Windows\\calc.exe", Verdict::Clean(), {}, 10});
    events.Send(
        ActionTaken{ActionKind::kDeleteInfected, u"\\Windows\\evil.exe", "Evil", true, false, {}});
    events.Send(FileVerdict{longPath, Verdict::NotChecked(NotCheckedReason::kTooLarge), {}, 0});
    events.Send(ActionTaken{
        ActionKind::kDeleteInfected, u"\\Storage Card\\bad.cab", "Evil", false, false, {}});
    Finish(events);
  });
  ScanDialog dialog(context_, services, ScanMode::kFull, nullptr);
  runner_.WaitUntilIdle();

  std::vector<std::string> shown = LogRecords();
  ASSERT_EQ(shown.size(), 9u);
  std::reverse(shown.begin(), shown.end());
  shown.insert(shown.begin(), "Checked: 1, found: 0, not checked: 1");
  EXPECT_EQ(ListLines(dialog), shown);
  EXPECT_EQ(dialog.FoundCount(), 2);
  EXPECT_EQ(dialog.StatusLine()->text(), QString());
  EXPECT_TRUE(dialog.ProgressLabel()->text().startsWith(QStringLiteral("1 of 1 files")));
  EXPECT_EQ(dialog.ProgressBar()->value(), 100);
  EXPECT_TRUE(boxes_.shown.empty());

  QListWidget& list = *dialog.List();
  const QString full = QStringLiteral("Can not check:") + ToQString(longPath);
  QListWidgetItem* line = list.findItems(full, Qt::MatchExactly).value(0);
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->toolTip(), full);
  ASSERT_GT(QFontMetrics(list.font()).horizontalAdvance(full), list.width());
  list.setCurrentItem(line);
  EXPECT_TRUE(line->text().contains(u'\n'));
  EXPECT_EQ(line->text().remove(u'\n'), full);
  list.setCurrentRow(0);
  EXPECT_EQ(line->text(), full);
}

// Back during a scan asks to stop it first. The stop question holds the
// scan while it is asked (the scan's own pause is tested in tests/scan);
// No lets it go on, Yes stops it and closes the dialog at once, and what
// the scan still does is logged all the same. Once it has ended, Back
// closes the dialog.
TEST_F(ScanDialogTest, BackAsksToStopFirstAndTheStopQuestionHoldsTheScan) {
  for (const MessageAnswer answer : {MessageAnswer::kNo, MessageAnswer::kYes}) {
    SCOPED_TRACE(answer == MessageAnswer::kNo ? "No" : "Yes");
    std::filesystem::remove(prefix_.StorePath() / "Runeskop.log");
    // The scan announces a file, then waits for `go_` and for the stop
    // question.
    ScanServices services = Services([this](ScanEvents& events) {
      events.Send(FileChecking{u"\\Windows\\calc.exe"});
      go_.acquire();
      stop_->WaitWhilePaused();
      events.Send(ActionTaken{
          ActionKind::kDeleteInfected, u"\\Windows\\late.exe", "Evil", true, false, {}});
      Finish(events);
    });
    ScanDialog dialog(context_, services, ScanMode::kFast, nullptr);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return dialog.StatusLine()->text() == QStringLiteral("\\Windows\\calc.exe"); },
        kPatience));
    dialog.OnCommand(ids::kBack);
    boxes_.answers = {answer};
    boxes_.whileAsked = [this] {
      go_.release();
      QTest::qWait(300);                   // long enough for the scan to go on, were it not held
      EXPECT_EQ(LogRecords().size(), 2u);  // the start and its rule
    };
    dialog.OnCommand(ids::kStopScan);
    boxes_.whileAsked = nullptr;
    EXPECT_EQ(dialog.isVisible(), answer == MessageAnswer::kNo);
    EXPECT_EQ(stop_->IsStopped(), answer == MessageAnswer::kYes);
    ASSERT_EQ(boxes_.Texts(),
              (std::vector<std::string>{"Information|Please stop scan first!\n",
                                        "Question|Scan is running,stop it? (Yes/No)"}));
    EXPECT_EQ(boxes_.shown[0].owner, &dialog);
    boxes_.shown.clear();
    runner_.WaitUntilIdle();
    const std::vector<std::string> records = LogRecords();
    ASSERT_EQ(records.size(), 6u);
    EXPECT_EQ(records[2], "\\Windows\\late.exe");
    EXPECT_EQ(records[3], "[1].Found Trojan,Delete successfully:");
    dialog.OnCommand(ids::kBack);
    EXPECT_TRUE(boxes_.shown.empty());
    EXPECT_FALSE(dialog.isVisible());
  }
}

// The log view reads on a worker: it waits for an append under way (here
// a lock the test holds) while the dialog's loop keeps running timers, one
// of which lets go. It shows the newest line first and writes nothing.
TEST_F(ScanDialogTest, LogViewReadsOnAWorkerWhileTheLoopAnswers) {
  for (const char16_t* record : {u"A", u"B", u"C"}) {
    ASSERT_EQ(AppendLogRecord(prefix_.Store(), kLogPath, record), LogAppendResult::kAppended);
  }
  const std::string before = ReadFile(prefix_.StorePath() / "Runeskop.log");
  Result<File> writer = File::OpenForAppend(prefix_.Store(), kLogPath);
  ASSERT_EQ(writer.status, FileStatus::kOk);
  ASSERT_EQ(writer.value.Lock(Sharing::kNone, {}), LockStatus::kLocked);
  ScanServices services = Services({});
  ScanDialog dialog(context_, services, ScanMode::kLogView, nullptr);
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (++ticks == 5) {
      EXPECT_TRUE(writer.value.Close().Ok());
    }
  });
  timer.start(5);
  ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::overrideCursor() == nullptr; }, kPatience));
  EXPECT_GE(ticks, 5);
  EXPECT_EQ(ListLines(dialog), (std::vector<std::string>{"C", "B", "A"}));
  dialog.List()->setCurrentRow(0);  // a selected line shows whole, not blank
  EXPECT_EQ(dialog.List()->item(0)->text(), QStringLiteral("C"));
  EXPECT_EQ(ReadFile(prefix_.StorePath() / "Runeskop.log"), before);
  EXPECT_FALSE(runner_.IsBusy());
}

}  // namespace
}  // namespace kv::testing
