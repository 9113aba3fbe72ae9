// The quarantine dialog on a real quarantine: what it lists and how, Restore
// and Delete with scripted answers and refusals, and the main window's Log
// menu command that opens it.
#include <QDateTime>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/quarantine.h"
#include "resources/command_ids.h"
#include "ui/main_window.h"
#include "ui/quarantine_dialog.h"
#include "ui_test_support.h"

namespace kv::testing {
namespace {

using platform::MessageAnswer;
using platform::QuarantineItemState;

// Bytes a text copy would mangle: NUL, CR LF, high bytes.
const std::string kEvilBytes("MZ\x90\0\r\n\xff\xfe evil", 14);

// Triggers `command` in the menu of the right soft key; false when absent.
bool ChooseFromSoftKeyMenu(QWidget* window, int command) {
  auto* key = window->findChild<QPushButton*>(QStringLiteral("popup"));
  if (key == nullptr || key->menu() == nullptr) return false;
  for (QAction* action : key->menu()->actions()) {
    if (action->data().toInt() != command) continue;
    action->trigger();
    return true;
  }
  return false;
}

class QuarantineDialogTest : public ::testing::Test {
 protected:
  // Puts a store file into the quarantine as a scan would; returns its id.
  std::string Quarantine(const std::string& relative, std::u16string_view path,
                         std::u16string_view signature) {
    prefix_.WriteStoreFile(relative, kEvilBytes);
    const platform::QuarantineResult result =
        platform::QuarantineStoreFile(prefix_.Store(), path, {signature, u"interactive"});
    EXPECT_EQ(result.status, platform::QuarantineStatus::kQuarantined);
    return result.id;
  }

  QuarantineItemState StateOf(const std::string& id) const {
    platform::QuarantineListing listing;
    EXPECT_TRUE(platform::ListQuarantine(prefix_.Store(), listing));
    for (const platform::QuarantineItem& item : listing.items) {
      if (item.record.id == id) return item.state;
    }
    return QuarantineItemState::kUnrecorded;
  }

  SkinnedPrefix prefix_;
  RecordingBoxes boxes_;
  ui::UiContext context_ = ContextFor(240, 320, boxes_);
};

TEST_F(QuarantineDialogTest, ListsQuarantinedAndMissingItemsNewestFirstWithPathSignatureAndTime) {
  const std::string older = Quarantine("Windows/evil.exe", u"\\Windows\\evil.exe", u"Trojan.A");
  const std::string gone = Quarantine("gone.exe", u"\\gone.exe", u"Trojan.G");
  const std::string newer =
      Quarantine("My Documents/game.cab", u"\\My Documents\\game.cab", u"Trojan.B");
  const std::string restored = Quarantine("back.exe", u"\\back.exe", u"Trojan.R");
  ASSERT_EQ(platform::RestoreQuarantineItem(prefix_.Store(), restored),
            platform::QuarantineChange::kDone);
  std::filesystem::remove(prefix_.Path() / "quarantine" / gone);

  ui::QuarantineDialog dialog(context_, prefix_.Store(), nullptr);
  const QString time = QStringLiteral("  \\d{4}/\\d{1,2}/\\d{1,2} \\d\\d:\\d\\d");
  const QString expected[] = {
      QStringLiteral("^\\\\My Documents\\\\game\\.cab\nTrojan\\.B") + time + QStringLiteral("$"),
      QStringLiteral("^\\\\gone\\.exe\nTrojan\\.G") + time + QStringLiteral(" \\(missing\\)$"),
      QStringLiteral("^\\\\Windows\\\\evil\\.exe\nTrojan\\.A") + time + QStringLiteral("$"),
  };
  ASSERT_EQ(dialog.List()->count(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(QRegularExpression(expected[i]).match(dialog.List()->item(i)->text()).hasMatch())
        << dialog.List()->item(i)->text().toStdString();
  }
  EXPECT_EQ(dialog.Lines()[0].item.record.id, newer);
  EXPECT_EQ(dialog.Lines()[2].item.record.id, older);
  // The time shown is the record's UTC time in local time, to the minute.
  const QDateTime stored = QDateTime::fromString(
      QString::fromStdString(dialog.Lines()[0].item.record.time), Qt::ISODate);
  ASSERT_TRUE(stored.isValid());
  EXPECT_TRUE(dialog.List()->item(0)->text().endsWith(
      stored.toLocalTime().toString(QStringLiteral("  yyyy/M/d hh:mm"))));

  EXPECT_EQ(dialog.StatusLine()->text(), QStringLiteral("\\My Documents\\game.cab"));
  dialog.List()->setCurrentRow(2);
  EXPECT_EQ(dialog.StatusLine()->text(), QStringLiteral("\\Windows\\evil.exe"));
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Quarantine"));
  EXPECT_TRUE(boxes_.shown.empty());
}

// A signature too long for the line is cut; the time and the path are not.
TEST_F(QuarantineDialogTest, ALongSignatureGivesWayToTheTime) {
  (void)Quarantine("evil.exe", u"\\evil.exe", u"Trojan.With.A.Very.Long.Family.Name.Variant.B");
  platform::QuarantineListing listing;
  ASSERT_TRUE(platform::ListQuarantine(prefix_.Store(), listing));
  const QFontMetrics metrics(QApplication::font());
  const int width = metrics.horizontalAdvance(QStringLiteral("Trojan.With  2026/12/7 05:08"));
  const std::vector<ui::QuarantineLine> lines = ui::QuarantineLines(listing, metrics, width);
  ASSERT_EQ(lines.size(), 1u);
  const QStringList parts = lines[0].text.split(u'\n');
  ASSERT_EQ(parts.size(), 2);
  EXPECT_EQ(parts[0], QStringLiteral("\\evil.exe"));
  EXPECT_TRUE(parts[1].startsWith(QStringLiteral("Trojan."))) << parts[1].toStdString();
  EXPECT_TRUE(parts[1].contains(QChar(0x2026))) << parts[1].toStdString();
  EXPECT_LE(metrics.horizontalAdvance(parts[1]), width);
  EXPECT_TRUE(QRegularExpression(QStringLiteral("  \\d{4}/\\d{1,2}/\\d{1,2} \\d\\d:\\d\\d$"))
                  .match(parts[1])
                  .hasMatch());
}

TEST_F(QuarantineDialogTest, AnEmptyQuarantineSaysSoAndItsKeysDoNothing) {
  ui::QuarantineDialog dialog(context_, prefix_.Store(), nullptr);
  EXPECT_EQ(dialog.List()->count(), 0);
  EXPECT_EQ(dialog.StatusLine()->text(), QStringLiteral("There's no file in quarantine."));
  ASSERT_TRUE(ClickSoftKey(&dialog, ids::kRestoreItem));
  ASSERT_TRUE(ChooseFromSoftKeyMenu(&dialog, ids::kPurgeItem));
  EXPECT_TRUE(boxes_.shown.empty());
}

struct ChangeRow {
  const char* name;
  int command;
  MessageAnswer answer;
  std::function<void(const TempPrefix&)> before;
  std::vector<std::string> boxes;  // every box's text after the question
  QuarantineItemState state;       // the item's state afterwards
  std::string storeFile;           // what stands at the path afterwards; "-": nothing
};

TEST_F(QuarantineDialogTest, RestoreAndDeleteAskFirstTellRefusalsAndReadTheListAgain) {
  const std::string kPath = "\\Windows\\evil.exe";
  const auto nothing = [](const TempPrefix&) {};
  const ChangeRow rows[] = {
      {"restore",
       ids::kRestoreItem,
       MessageAnswer::kYes,
       nothing,
       {"Restore successfully:\n" + kPath},
       QuarantineItemState::kRestored,
       kEvilBytes},
      {"restore answered No",
       ids::kRestoreItem,
       MessageAnswer::kNo,
       nothing,
       {},
       QuarantineItemState::kQuarantined,
       "-"},
      {"restore over a file",
       ids::kRestoreItem,
       MessageAnswer::kYes,
       [](const TempPrefix& prefix) { prefix.WriteStoreFile("Windows/evil.exe", "mine"); },
       {"Can not restore,there is already a file at:\n" + kPath},
       QuarantineItemState::kQuarantined,
       "mine"},
      {"restore without its folder",
       ids::kRestoreItem,
       MessageAnswer::kYes,
       [](const TempPrefix& prefix) { std::filesystem::remove(prefix.StorePath() / "Windows"); },
       {"Can not restore,the file's folder does not exist:\n" + kPath},
       QuarantineItemState::kQuarantined,
       "-"},
      {"delete",
       ids::kPurgeItem,
       MessageAnswer::kYes,
       nothing,
       {},
       QuarantineItemState::kPurged,
       "-"},
      {"delete answered No",
       ids::kPurgeItem,
       MessageAnswer::kNo,
       nothing,
       {},
       QuarantineItemState::kQuarantined,
       "-"},
  };
  for (const ChangeRow& row : rows) {
    SCOPED_TRACE(row.name);
    SkinnedPrefix prefix;
    prefix.WriteStoreFile("Windows/evil.exe", kEvilBytes);
    const std::string id =
        platform::QuarantineStoreFile(prefix.Store(), u"\\Windows\\evil.exe", {u"Trojan.A", u""})
            .id;
    row.before(prefix);
    RecordingBoxes boxes;
    boxes.answers = {row.answer};
    const ui::UiContext context = ContextFor(240, 320, boxes);
    ui::QuarantineDialog dialog(context, prefix.Store(), nullptr);
    ASSERT_EQ(dialog.List()->count(), 1);

    ASSERT_TRUE(row.command == ids::kRestoreItem ? ClickSoftKey(&dialog, row.command)
                                                 : ChooseFromSoftKeyMenu(&dialog, row.command));
    ASSERT_EQ(boxes.shown.size(), row.boxes.size() + 1);
    EXPECT_EQ(boxes.shown[0].buttons, platform::MessageButtons::kYesNo);
    EXPECT_EQ(boxes.shown[0].owner, &dialog);
    EXPECT_NE(boxes.shown[0].text.find("\n" + kPath), std::string::npos);
    for (std::size_t i = 0; i < row.boxes.size(); ++i) {
      EXPECT_EQ(boxes.shown[i + 1].text, row.boxes[i]);
    }

    platform::QuarantineListing listing;
    ASSERT_TRUE(platform::ListQuarantine(prefix.Store(), listing));
    ASSERT_EQ(listing.items.size(), 1u);
    EXPECT_EQ(listing.items[0].record.id, id);
    EXPECT_EQ(listing.items[0].state, row.state);
    const bool listed = row.state == QuarantineItemState::kQuarantined;
    EXPECT_EQ(dialog.List()->count(), listed ? 1 : 0);
    EXPECT_EQ(dialog.StatusLine()->text(), listed
                                               ? QStringLiteral("\\Windows\\evil.exe")
                                               : QStringLiteral("There's no file in quarantine."));
    const std::filesystem::path file = prefix.StorePath() / "Windows/evil.exe";
    EXPECT_EQ(std::filesystem::exists(file) ? ReadFile(file) : "-", row.storeFile);
  }
}

TEST_F(QuarantineDialogTest, TheLogMenusCommandOpensTheDialogAndBackClosesIt) {
  const std::string id = Quarantine("evil.exe", u"\\evil.exe", u"Trojan.A");
  PublishedDatabase database;
  platform::RegistryHive hive{prefix_.Path() / "system.reg"};
  DataConnection connection;
  ui::ScanRunner runner;
  FixedClock clock;
  ui::ScanServices scans{prefix_.Store(), runner, clock, {}};
  ui::MainWindowServices services{prefix_.Store(), database,      hive,  nullptr,
                                  connection,      std::string(), scans, [](int) {}};
  ui::MainWindow window(context_, services);

  std::vector<std::string> seen;
  QTimer back;
  QObject::connect(&back, &QTimer::timeout, [&] {
    if (auto* dialog = dynamic_cast<ui::QuarantineDialog*>(QApplication::activeModalWidget())) {
      for (const ui::QuarantineLine& line : dialog->Lines()) seen.push_back(line.item.record.id);
      EXPECT_TRUE(ChooseFromSoftKeyMenu(dialog, ids::kBack));
    }
  });
  back.start(10);
  window.OnCommand(ids::kQuarantine);
  EXPECT_EQ(seen, std::vector<std::string>{id});
  EXPECT_EQ(StateOf(id), QuarantineItemState::kQuarantined);
}

}  // namespace
}  // namespace kv::testing
