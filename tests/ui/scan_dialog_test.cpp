// The scan and log dialog: the list, status line and log for scripted
// hand-over lines, Back and Stop during a scan with scripted answers, a scan
// thread that outlives its dialog, and the log view.
#include <QLabel>
#include <QListWidget>
#include <functional>
#include <semaphore>
#include <string>
#include <vector>

#include "log/log_file.h"
#include "log/log_reader.h"
#include "resources/command_ids.h"
#include "ui/scan_dialog.h"
#include "ui_test_support.h"

namespace kv::testing {
namespace {

using platform::MessageAnswer;

void PumpUntil(const std::function<bool()>& done) {
  while (!done()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

class ScanDialogTest : public ::testing::Test {
 protected:
  ui::ScanServices Services(std::function<void(const ScanOutputs&)> scan) {
    return ui::ScanServices{prefix_.Store(), runner_, scanLog_, clock_, std::move(scan)};
  }

  // A scan that shows a status, waits for `go_`, then sends `rest`.
  std::function<void(const ScanOutputs&)> HeldScan(std::vector<std::u16string> rest) {
    return [this, rest](const ScanOutputs&) {
      session_.HandOver(u"\\Windows\\calc.exe");
      go_.acquire();
      for (const std::u16string& line : rest) session_.HandOver(line);
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
    std::vector<std::string> records;
    const auto count = CountLogLines(prefix_.Store(), kLogPath);
    for (std::uint64_t i = 0; count && i < *count; ++i) {
      std::u16string line;
      if (ReadLogLine(prefix_.Store(), kLogPath, i, line, 512) == LogLineStatus::kRead) {
        records.push_back(platform::Utf16ToUtf8(line));
      }
    }
    return records;
  }

  SkinnedPrefix prefix_;
  ScanSession session_;
  ui::ScanRunner runner_{session_};
  RecordingLog scanLog_;
  FixedClock clock_;
  RecordingBoxes boxes_;
  ui::UiContext context_ = ContextFor(240, 320, boxes_);
  std::binary_semaphore go_{0};
};

TEST_F(ScanDialogTest, ListsEachFindingAboveItsPathAndLogsThePathFirst) {
  session_.mode = ScanMode::kFull;
  const std::vector<std::u16string> script = {
      u"\\Windows\\calc.exe",
      u"<OK>\\Windows\\evil.exe",
      u"Scanning \\Windows",  // status only: never listed or logged
      u"<NO>\\Storage Card\\bad.cab",
      u"*--------------------------------------",
      u"*2010/7/5 09:04:00 Full scan finished!",
      u"&",
  };
  ui::ScanServices services = Services([&](const ScanOutputs&) {
    for (const std::u16string& line : script) session_.HandOver(line);
  });
  ui::ScanDialog dialog(context_, services, nullptr);
  runner_.WaitUntilIdle();

  const std::vector<std::string> listed = {
      "2010/7/5 09:04:00 Full scan finished!",  "--------------------------------------",
      "[2].Found Trojan,Can not delete:",       "\\Storage Card\\bad.cab",
      "[1].Found Trojan,Delete successfully:",  "\\Windows\\evil.exe",
      "--------------------------------------", "2010/7/5 09:03:05 Start Full scanning...",
  };
  EXPECT_EQ(ListLines(dialog), listed);
  // The log holds the same lines oldest first, so each path precedes its finding.
  EXPECT_EQ(LogRecords(), std::vector<std::string>(listed.rbegin(), listed.rend()));
  EXPECT_EQ(dialog.FoundCount(), 2);
  EXPECT_EQ(dialog.StatusLine()->text(), QString());
  EXPECT_FALSE(session_.running.IsSet());
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(ScanDialogTest, BackDuringAScanAsksToStopFirstAndClosesAfterIt) {
  session_.mode = ScanMode::kMemory;
  ui::ScanServices services = Services(HeldScan({u"&"}));
  ui::ScanDialog dialog(context_, services, nullptr);
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

TEST_F(ScanDialogTest, StopAnsweredNoKeepsTheScanAndYesClosesAtOnce) {
  session_.mode = ScanMode::kFast;
  ui::ScanServices services = Services(HeldScan({u"*late line", u"&"}));
  {
    ui::ScanDialog dialog(context_, services, nullptr);
    dialog.show();
    AwaitStatus(dialog);

    boxes_.answers = {MessageAnswer::kNo, MessageAnswer::kYes};
    dialog.OnCommand(ids::kStopScan);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(session_.running.IsSet());
    dialog.OnCommand(ids::kStopScan);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(session_.running.IsSet());
    ASSERT_EQ(boxes_.shown.size(), 2u);
    EXPECT_EQ(boxes_.shown[1].text, "Scan is running,stop it?");
    EXPECT_EQ(boxes_.shown[1].buttons, platform::MessageButtons::kYesNo);
  }
  // The thread outlives its dialog; its last lines reach no list and no log.
  EXPECT_TRUE(runner_.IsBusy());
  go_.release();
  runner_.WaitUntilIdle();
  const auto records = LogRecords();
  EXPECT_EQ(records.size(), 2u);
  EXPECT_EQ(std::count(records.begin(), records.end(), "late line"), 0);
}

TEST_F(ScanDialogTest, LogViewShowsTheNewestLineFirstAndWritesNothing) {
  for (const char16_t* record : {u"A", u"B", u"C"}) {
    ASSERT_EQ(AppendLogRecord(prefix_.Store(), kLogPath, record), LogAppendResult::kAppended);
  }
  const std::string before = ReadFile(prefix_.StorePath() / "Runeskop.log");
  session_.mode = ScanMode::kLogView;
  ui::ScanServices services = Services({});
  ui::ScanDialog dialog(context_, services, nullptr);
  EXPECT_EQ(dialog.StatusLine()->text(), QStringLiteral("The Log:"));
  EXPECT_EQ(ListLines(dialog), (std::vector<std::string>{"C", "B", "A"}));
  EXPECT_EQ(ReadFile(prefix_.StorePath() / "Runeskop.log"), before);
  EXPECT_FALSE(runner_.IsBusy());
}

}  // namespace
}  // namespace kv::testing
