// The scan and log dialog: its layout at both screen sizes, the list and
// the log for a scripted scan, Back and Stop during and after a scan with
// scripted answers, a scan thread that outlives its dialog, and the log
// view of a missing and a present log.
#include <QLabel>
#include <QListWidget>
#include <functional>
#include <semaphore>
#include <string>
#include <vector>

#include "log/log_file.h"
#include "log/log_reader.h"
#include "resources/command_ids.h"
#include "scan/published_database.h"
#include "scan/run_scan.h"
#include "support/database_writer.h"
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

  // The scan the test's thread runs: each line handed over in turn.
  std::function<void(const ScanOutputs&)> Script(std::vector<std::u16string> lines) {
    return [this, lines](const ScanOutputs&) {
      for (const std::u16string& line : lines) session_.HandOver(line);
    };
  }

  // A scan that shows a status, waits for `go_`, then sends `rest`.
  std::function<void(const ScanOutputs&)> HeldScan(std::vector<std::u16string> rest) {
    return [this, rest](const ScanOutputs&) {
      session_.HandOver(u"\\Windows\\calc.exe");
      go_.acquire();
      for (const std::u16string& line : rest) session_.HandOver(line);
    };
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
  ui::ScanServices services = Services(Script({
      u"\\Windows\\calc.exe",
      u"<OK>\\Windows\\evil.exe",
      u"<NO>\\Storage Card\\bad.cab",
      u"*--------------------------------------",
      u"*2010/7/5 09:04:00 Full scan finished!",
      u"&",
  }));
  ui::ScanDialog dialog(context_, services, nullptr);
  runner_.WaitUntilIdle();

  EXPECT_EQ(ListLines(dialog), (std::vector<std::string>{
                                   "2010/7/5 09:04:00 Full scan finished!",
                                   "--------------------------------------",
                                   "[2].Found Trojan,Can not delete:",
                                   "\\Storage Card\\bad.cab",
                                   "[1].Found Trojan,Delete successfully:",
                                   "\\Windows\\evil.exe",
                                   "--------------------------------------",
                                   "2010/7/5 09:03:05 Start Full scanning...",
                               }));
  EXPECT_EQ(LogRecords(), (std::vector<std::string>{
                              "2010/7/5 09:03:05 Start Full scanning...",
                              "--------------------------------------",
                              "\\Windows\\evil.exe",
                              "[1].Found Trojan,Delete successfully:",
                              "\\Storage Card\\bad.cab",
                              "[2].Found Trojan,Can not delete:",
                              "--------------------------------------",
                              "2010/7/5 09:04:00 Full scan finished!",
                          }));
  EXPECT_EQ(dialog.FoundCount(), 2);
  EXPECT_EQ(dialog.StatusLine()->text(), QString());
  EXPECT_FALSE(session_.running.IsSet());
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(ScanDialogTest, ARealFastScanDeletesListsAndLogsItsFinding) {
  std::string database = "20102\r\n";
  for (const std::string& plain :
       {std::string("[VirusCharacter]"), CharacterLine("Evil", "EVIL-MARK"),
        std::string("[VirusFile]"), std::string("\\Windows\\evil.exe")}) {
    database += StoredLine(plain) + "\r\n";
  }
  prefix_.WriteStoreFile("Program Files/Quellbrin/VirusDB.dat", database);
  prefix_.WriteStoreFile("Windows/evil.exe", "..EVIL-MARK..");
  PublishedDatabase published;
  ASSERT_EQ(published.Reload(prefix_.Store()), LoadResult::kRead);

  session_.mode = ScanMode::kFast;
  ui::ScanServices services = Services([&](const ScanOutputs& outputs) {
    (void)RunScan(prefix_.Store(), published.Current(), session_, outputs);
  });
  ui::ScanDialog dialog(context_, services, nullptr);
  runner_.WaitUntilIdle();

  const std::vector<std::string> expected = {
      "2010/7/5 09:03:05 Fast scan finished!",
      "--------------------------------------",
      "[1].Found Trojan,Delete successfully:",
      "\\Windows\\evil.exe",
      "There's no Trojan in memory!",
      "--------------------------------------",
      "2010/7/5 09:03:05 Start Fast scanning...",
  };
  EXPECT_EQ(ListLines(dialog), expected);
  EXPECT_EQ(LogRecords(), std::vector<std::string>(expected.rbegin(), expected.rend()));
  EXPECT_FALSE(std::filesystem::exists(prefix_.StorePath() / "Windows/evil.exe"));
  EXPECT_FALSE(session_.running.IsSet());
}

struct StatusRow {
  std::u16string line;
  std::string status;
};

TEST_F(ScanDialogTest, StatusLineShowsPlainTextsAndPathsButNotListLines) {
  const StatusRow rows[] = {
      {u"\\Windows\\calc.exe", "\\Windows\\calc.exe"},
      {u"<NO>\\a.exe", "\\a.exe"},
      {u"*There's no Trojan!", ""},
      {u"<OK>*odd", ""},
  };
  session_.mode = ScanMode::kLogView;  // no scan: lines handed over by the test
  ui::ScanServices services = Services({});
  ui::ScanDialog dialog(context_, services, nullptr);
  for (const StatusRow& row : rows) {
    session_.HandOver(row.line);
    EXPECT_EQ(dialog.StatusLine()->text().toStdString(), row.status);
  }
  const int listed = dialog.List()->count();
  session_.HandOver(u"Scanning \\Windows");
  EXPECT_EQ(dialog.List()->count(), listed);
  EXPECT_EQ(LogRecords(), (std::vector<std::string>{
                              "\\a.exe", "[1].Found Trojan,Can not delete:", "There's no Trojan!",
                              "*odd", "[2].Found Trojan,Delete successfully:"}));
}

struct LayoutRow {
  int width, height;
  QRect panel, status, list;
  int banner;
};

TEST_F(ScanDialogTest, LaysItselfOutByTheScale) {
  const LayoutRow rows[] = {
      {240, 320, QRect(0, 0, 240, 40), QRect(3, 50, 234, 26), QRect(3, 100, 234, 140), 6566},
      {480, 640, QRect(0, 0, 480, 80), QRect(6, 100, 468, 52), QRect(6, 200, 468, 280), 6565},
  };
  for (const LayoutRow& row : rows) {
    const ui::UiContext context = ContextFor(row.width, row.height, boxes_);
    session_.mode = ScanMode::kLogView;
    ui::ScanServices services = Services({});
    ui::ScanDialog dialog(context, services, nullptr);
    auto* panel = FindControl<ui::SkinPanelWidget>(&dialog, ids::kTitlePanel);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->geometry(), row.panel);
    EXPECT_EQ(panel->Caption().text, QString());
    EXPECT_EQ(dialog.StatusLine()->geometry(), row.status);
    EXPECT_EQ(dialog.List()->geometry(), row.list);
    (void)panel->grab();
    EXPECT_EQ(dialog.size(), QSize(row.width, row.height));
  }
}

TEST_F(ScanDialogTest, BackDuringAScanAsksToStopFirstAndClosesAfterIt) {
  session_.mode = ScanMode::kMemory;
  ui::ScanServices services = Services(HeldScan({u"&"}));
  ui::ScanDialog dialog(context_, services, nullptr);
  dialog.show();
  PumpUntil([&] { return dialog.StatusLine()->text() == QStringLiteral("\\Windows\\calc.exe"); });

  dialog.OnCommand(ids::kBack);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, "Please stop scan first!\n");
  EXPECT_EQ(boxes_.shown[0].caption, "Information");
  EXPECT_EQ(boxes_.shown[0].icon, platform::MessageIcon::kInformation);
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
    PumpUntil([&] { return dialog.StatusLine()->text() == QStringLiteral("\\Windows\\calc.exe"); });

    boxes_.answers = {MessageAnswer::kNo, MessageAnswer::kYes};
    dialog.OnCommand(ids::kStopScan);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(session_.running.IsSet());
    dialog.OnCommand(ids::kStopScan);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(session_.running.IsSet());
    ASSERT_EQ(boxes_.shown.size(), 2u);
    EXPECT_EQ(boxes_.shown[1].text, "Scan is running,stop it?");
    EXPECT_EQ(boxes_.shown[1].caption, "Question");
    EXPECT_EQ(boxes_.shown[1].buttons, platform::MessageButtons::kYesNo);
  }
  // The thread outlives its dialog; its last lines reach no list and no log.
  EXPECT_TRUE(runner_.IsBusy());
  go_.release();
  runner_.WaitUntilIdle();
  EXPECT_FALSE(runner_.IsBusy());
  const auto records = LogRecords();
  EXPECT_EQ(records.size(), 2u);
  EXPECT_EQ(std::count(records.begin(), records.end(), "late line"), 0);
}

TEST_F(ScanDialogTest, StopAfterTheScanClosesWithoutAQuestion) {
  session_.mode = ScanMode::kMemory;
  ui::ScanServices services = Services(Script({u"&"}));
  ui::ScanDialog dialog(context_, services, nullptr);
  dialog.show();
  runner_.WaitUntilIdle();
  dialog.OnCommand(ids::kStopScan);
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(ScanDialogTest, LogViewOfAMissingLogIsEmpty) {
  session_.mode = ScanMode::kLogView;
  ui::ScanServices services = Services({});
  ui::ScanDialog dialog(context_, services, nullptr);
  EXPECT_EQ(dialog.StatusLine()->text(), QStringLiteral("The Log:"));
  EXPECT_EQ(dialog.List()->count(), 0);
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_FALSE(runner_.IsBusy());
}

TEST_F(ScanDialogTest, LogViewShowsTheNewestLineFirstAndWritesNothing) {
  for (const char16_t* record : {u"A", u"B", u"C"}) {
    ASSERT_EQ(AppendLogRecord(prefix_.Store(), kLogPath, record), LogAppendResult::kAppended);
  }
  const std::string before = ReadFile(prefix_.StorePath() / "Runeskop.log");
  session_.mode = ScanMode::kLogView;
  ui::ScanServices services = Services({});
  ui::ScanDialog dialog(context_, services, nullptr);
  EXPECT_EQ(ListLines(dialog), (std::vector<std::string>{"C", "B", "A"}));
  EXPECT_EQ(ReadFile(prefix_.StorePath() / "Runeskop.log"), before);
}

}  // namespace
}  // namespace kv::testing
