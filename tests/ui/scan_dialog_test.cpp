// The scan and log dialog: the list and status line for scripted scan
// events, Back and Stop during a scan with scripted answers, a scan thread
// that outlives its dialog and still logs what it does, a real scan held
// by the stop question, long lines, and the log view.
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
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
#include "scan/run_scan.h"
#include "support/database_writer.h"
#include "ui/qt_text.h"
#include "ui/scan_dialog.h"
#include "ui_test_support.h"

namespace kv::testing {
namespace {

using platform::MessageAnswer;

void PumpUntil(const std::function<bool()>& done) {
  while (!done()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void PumpFor(int milliseconds) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < milliseconds) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Runs `whileAsked` before it gives its one answer, as a user looks at the
// window before answering.
class AskingBoxes : public platform::MessageBoxes {
 public:
  platform::MessageAnswer Show(platform::MessageOwner, std::u16string_view, std::u16string_view,
                               platform::MessageButtons, platform::MessageIcon) override {
    whileAsked();
    return answer;
  }
  std::function<void()> whileAsked;
  MessageAnswer answer = MessageAnswer::kNo;
};

using Script = std::function<void(ScanEvents& events)>;

class ScanDialogTest : public ::testing::Test {
 protected:
  // A scan that sends the events of `script` to the dialog and to the
  // store's log writer, as the program's scan does.
  ui::ScanServices Services(Script script) {
    return ui::ScanServices{
        prefix_.Store(), runner_, clock_,
        [this, script](ScanMode mode, const StopToken&, ScanObserver& view, const ScanOutputs&) {
          ScanLogWriter log(prefix_.Store());
          ScanEvents events;
          events.Add(log);
          events.Add(view);
          events.Send(ScanStarted{mode, clock_.Now(), 1, 1, 0, 0});
          if (script) script(events);
        }};
  }

  // A script that announces a file, waits for `go_`, then runs `rest`.
  Script Held(Script rest) {
    return [this, rest](ScanEvents& events) {
      events.Send(FileChecking{u"\\Windows\\calc.exe"});
      go_.acquire();
      rest(events);
    };
  }

  void AwaitStatus(const ui::ScanDialog& dialog) {
    PumpUntil([&] { return dialog.StatusLine()->text() == QStringLiteral("\\Windows\\calc.exe"); });
  }

  std::vector<std::string> ListLines(const ui::ScanDialog& dialog) const {
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
    for (const std::u16string& line : lines) records.push_back(platform::Utf16ToUtf8(line));
    return records;
  }

  static void Finish(ScanEvents& events, bool stopped = false) {
    events.Send(ScanFinished{ScanMode::kFull, {2010, 7, 5, 9, 4, 0}, stopped, events.Tally()});
  }

  SkinnedPrefix prefix_;
  ui::ScanRunner runner_;
  FixedClock clock_;
  RecordingBoxes boxes_;
  ui::UiContext context_ = ContextFor(240, 320, boxes_);
  std::binary_semaphore go_{0};
};

TEST_F(ScanDialogTest, ListsEachFindingAboveItsPathAndTheLogKeepsThePathFirst) {
  ui::ScanServices services = Services([](ScanEvents& events) {
    events.Send(FileChecking{u"\\Windows\\calc.exe"});
    events.Send(FileVerdict{u"\\Windows\\calc.exe", Verdict::Clean(), {}, 10});
    events.Send(
        ActionTaken{ActionKind::kDeleteInfected, u"\\Windows\\evil.exe", "Evil", true, false, {}});
    events.Send(FileVerdict{
        u"\\Storage Card\\big.cab", Verdict::NotChecked(NotCheckedReason::kTooLarge), {}, 0});
    events.Send(ActionTaken{
        ActionKind::kDeleteInfected, u"\\Storage Card\\bad.cab", "Evil", false, false, {}});
    Finish(events);
  });
  ui::ScanDialog dialog(context_, services, ScanMode::kFull, nullptr);
  runner_.WaitUntilIdle();

  const std::vector<std::string> listed = {
      "2010/7/5 09:04:00 Full scan finished!",
      "--------------------------------------",
      "[2].Found Trojan,Can not delete:",
      "\\Storage Card\\bad.cab",
      "Can not check:\\Storage Card\\big.cab",
      "[1].Found Trojan,Delete successfully:",
      "\\Windows\\evil.exe",
      "--------------------------------------",
      "2010/7/5 09:03:05 Start Full scanning...",
  };
  std::vector<std::string> shown = {"Checked: 1, found: 0, not checked: 1"};
  shown.insert(shown.end(), listed.begin(), listed.end());
  EXPECT_EQ(ListLines(dialog), shown);
  // The log holds the same lines oldest first, so each path precedes its
  // finding; the summary is the dialog's alone.
  EXPECT_EQ(LogRecords(), std::vector<std::string>(listed.rbegin(), listed.rend()));
  EXPECT_EQ(dialog.FoundCount(), 2);
  EXPECT_EQ(dialog.StatusLine()->text(), QString());
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(ScanDialogTest, BackDuringAScanAsksToStopFirstAndClosesAfterIt) {
  ui::ScanServices services = Services(Held([](ScanEvents& events) { Finish(events); }));
  ui::ScanDialog dialog(context_, services, ScanMode::kMemory, nullptr);
  dialog.show();
  AwaitStatus(dialog);

  dialog.OnCommand(ids::kBack);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, "Please stop scan first!\n");
  EXPECT_EQ(boxes_.shown[0].owner, &dialog);
  EXPECT_TRUE(dialog.isVisible());

  go_.release();
  runner_.WaitUntilIdle();
  dialog.OnCommand(ids::kBack);
  EXPECT_EQ(boxes_.shown.size(), 1u);
  EXPECT_FALSE(dialog.isVisible());
}

// After a confirmed Stop the dialog is gone, but what the scan still does
// is logged by the scan's own log writer.
TEST_F(ScanDialogTest, StopAnsweredNoKeepsTheScanAndYesClosesAtOnceYetFindingsAreLogged) {
  const StopToken* seen = nullptr;
  ui::ScanServices services = Services(Held([](ScanEvents& events) {
    events.Send(
        ActionTaken{ActionKind::kDeleteInfected, u"\\Windows\\late.exe", "Evil", true, false, {}});
    Finish(events);
  }));
  const auto run = services.runScan;
  services.runScan = [&seen, run](ScanMode mode, const StopToken& stop, ScanObserver& view,
                                  const ScanOutputs& outputs) {
    seen = &stop;
    run(mode, stop, view, outputs);
  };
  {
    ui::ScanDialog dialog(context_, services, ScanMode::kFast, nullptr);
    dialog.show();
    AwaitStatus(dialog);

    boxes_.answers = {MessageAnswer::kNo, MessageAnswer::kYes};
    dialog.OnCommand(ids::kStopScan);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(seen->IsStopped());
    dialog.OnCommand(ids::kStopScan);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(seen->IsStopped());
    ASSERT_EQ(boxes_.shown.size(), 2u);
    EXPECT_EQ(boxes_.shown[1].text, "Scan is running,stop it?");
    EXPECT_EQ(boxes_.shown[1].buttons, platform::MessageButtons::kYesNo);
  }
  EXPECT_TRUE(runner_.IsBusy());
  go_.release();
  runner_.WaitUntilIdle();
  const std::vector<std::string> records = LogRecords();
  ASSERT_EQ(records.size(), 6u);
  EXPECT_EQ(records[2], "\\Windows\\late.exe");
  EXPECT_EQ(records[3], "[1].Found Trojan,Delete successfully:");
}

TEST_F(ScanDialogTest, TheStopQuestionHoldsARealScanUntilNoLetsItGoOnOrYesStopsIt) {
  const char* const infected[] = {"a.exe", "Windows/b.exe", "Windows/c.cab"};
  const auto database = SignatureDatabase::Build(
      DatabaseFile("1", {"[VirusCharacter]", CharacterLine("Evil", "EVIL-MARK")}),
      SignatureDatabase());
  const auto allThere = [&] {
    return std::ranges::all_of(infected, [&](const char* file) {
      return std::filesystem::exists(prefix_.StorePath() / file);
    });
  };
  for (const MessageAnswer answer : {MessageAnswer::kNo, MessageAnswer::kYes}) {
    SCOPED_TRACE(answer == MessageAnswer::kNo ? "No" : "Yes");
    for (const char* file : infected) prefix_.WriteStoreFile(file, "..EVIL-MARK..");
    ui::ScanServices services{
        prefix_.Store(), runner_, clock_,
        [&](ScanMode mode, const StopToken& stop, ScanObserver& view, const ScanOutputs& outputs) {
          go_.acquire();
          ScanEvents events;
          events.Add(view);
          (void)RunScan(prefix_.Store(), database, mode, stop, events, outputs, 2);
        }};
    AskingBoxes asking;
    const ui::UiContext context = ContextFor(240, 320, asking);
    ui::ScanDialog dialog(context, services, ScanMode::kFull, nullptr);
    dialog.show();
    asking.answer = answer;
    asking.whileAsked = [&] {
      go_.release();
      PumpFor(300);  // the scan's lines keep coming; its removals must not
      EXPECT_TRUE(allThere());
    };
    dialog.OnCommand(ids::kStopScan);
    runner_.WaitUntilIdle();
    if (answer == MessageAnswer::kNo) {
      EXPECT_TRUE(std::ranges::none_of(infected, [&](const char* file) {
        return std::filesystem::exists(prefix_.StorePath() / file);
      }));
      EXPECT_EQ(dialog.List()->item(0)->text(),
                QStringLiteral("Checked: 3, found: 3, not checked: 0"));
      EXPECT_TRUE(dialog.ProgressLabel()->text().startsWith(QStringLiteral("3 of 3 files")));
      EXPECT_EQ(dialog.ProgressBar()->value(), 100);
      EXPECT_TRUE(dialog.isVisible());
    } else {
      EXPECT_TRUE(allThere());
      EXPECT_FALSE(dialog.isVisible());
    }
  }
}

TEST_F(ScanDialogTest, ALongLineIsElidedWithItsFullTextAsTooltipAndWholeWhenSelected) {
  const std::u16string path = u"\\Storage Card\\Program Files\\Some Vendor\\Game Data\\levels.dat";
  ui::ScanServices services = Services([&path](ScanEvents& events) {
    events.Send(FileVerdict{path, Verdict::NotChecked(NotCheckedReason::kTooLarge), {}, 0});
    Finish(events);
  });
  ui::ScanDialog dialog(context_, services, ScanMode::kFull, nullptr);
  runner_.WaitUntilIdle();
  QListWidget& list = *dialog.List();
  const QString full = QStringLiteral("Can not check:") + ui::ToQString(path);
  const QList<QListWidgetItem*> found = list.findItems(full, Qt::MatchExactly);
  ASSERT_EQ(found.size(), 1);
  QListWidgetItem* line = found[0];
  EXPECT_EQ(line->toolTip(), full);
  EXPECT_EQ(list.textElideMode(), Qt::ElideMiddle);
  EXPECT_EQ(list.font().pixelSize(), 10);
  ASSERT_GT(QFontMetrics(list.font()).horizontalAdvance(full), list.width());

  list.setCurrentItem(line);
  EXPECT_TRUE(line->text().contains(u'\n'));
  EXPECT_EQ(line->text().remove(u'\n'), full);
  list.setCurrentRow(0);
  EXPECT_EQ(line->text(), full);
}

TEST_F(ScanDialogTest, LogViewShowsTheNewestLineFirstAndWritesNothing) {
  for (const char16_t* record : {u"A", u"B", u"C"}) {
    ASSERT_EQ(AppendLogRecord(prefix_.Store(), kLogPath, record), LogAppendResult::kAppended);
  }
  const std::string before = ReadFile(prefix_.StorePath() / "Runeskop.log");
  ui::ScanServices services = Services({});
  ui::ScanDialog dialog(context_, services, ScanMode::kLogView, nullptr);
  EXPECT_EQ(dialog.StatusLine()->text(), QStringLiteral("The Log:"));
  PumpUntil([] { return QApplication::overrideCursor() == nullptr; });  // loaded
  EXPECT_EQ(ListLines(dialog), (std::vector<std::string>{"C", "B", "A"}));
  dialog.List()->setCurrentRow(0);  // a selected line shows whole, not blank
  EXPECT_EQ(dialog.List()->item(0)->text(), QStringLiteral("C"));
  EXPECT_EQ(ReadFile(prefix_.StorePath() / "Runeskop.log"), before);
  EXPECT_FALSE(runner_.IsBusy());
}

// The reader waits for an append under way (here a lock the test holds);
// meanwhile the dialog's loop keeps running timers, one of which lets go.
TEST_F(ScanDialogTest, LogViewReadsOnAWorkerWhileTheLoopAnswers) {
  for (const char16_t* record : {u"A", u"B", u"C"}) {
    ASSERT_EQ(AppendLogRecord(prefix_.Store(), kLogPath, record), LogAppendResult::kAppended);
  }
  platform::Result<platform::File> opened =
      platform::File::OpenForAppend(prefix_.Store(), kLogPath);
  ASSERT_EQ(opened.status, platform::FileStatus::kOk);
  platform::File& writer = opened.value;
  ASSERT_EQ(writer.Lock(platform::Sharing::kNone, {}), platform::LockStatus::kLocked);
  ui::ScanServices services = Services({});
  ui::ScanDialog dialog(context_, services, ScanMode::kLogView, nullptr);
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (++ticks == 5) {
      EXPECT_TRUE(writer.Close().Ok());
    }
  });
  timer.start(5);
  PumpUntil([] { return QApplication::overrideCursor() == nullptr; });
  EXPECT_GE(ticks, 5);
  EXPECT_EQ(ListLines(dialog), (std::vector<std::string>{"C", "B", "A"}));
}

}  // namespace
}  // namespace kv::testing
