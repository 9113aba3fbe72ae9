// The quarantine dialog on a real quarantine: what it lists and how, and
// Restore and Delete with scripted answers and refusals.
#include <QDateTime>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/quarantine.h"
#include "resources/command_ids.h"
#include "support/quarantine_checks.h"
#include "ui/quarantine_dialog.h"
#include "ui_test_support.h"

namespace kv::testing {
namespace {

// Bytes a text copy would mangle: NUL, CR LF, high bytes.
constexpr char kEvilLiteral[] = "MZ\x90\0\r\n\xff\xfe evil";
const std::string kEvilBytes(kEvilLiteral, sizeof kEvilLiteral - 1);

class QuarantineDialogTest : public ::testing::Test {
 protected:
  SkinnedPrefix prefix_;
  RecordingBoxes boxes_;
  UiContext context_{HandsetScreen{240, 320}, boxes_};
};

QString LocalMinute(const std::string& utc) {
  return QDateTime::fromString(QString::fromStdString(utc), Qt::ISODate)
      .toLocalTime()
      .toString(QStringLiteral("yyyy/M/d hh:mm"));
}

TEST_F(QuarantineDialogTest, ListsQuarantinedAndMissingItemsNewestFirstWithPathSignatureAndTime) {
  (void)Quarantined(prefix_, "Windows/evil.exe", kEvilBytes, u"Trojan.A");
  const std::string gone = Quarantined(prefix_, "gone.exe", kEvilBytes, u"Trojan.G");
  (void)Quarantined(prefix_, "My Documents/game.cab", kEvilBytes, u"Trojan.B");
  const std::string restored = Quarantined(prefix_, "back.exe", kEvilBytes, u"Trojan.R");
  ASSERT_EQ(RestoreQuarantineItem(prefix_.Store(), restored).change, QuarantineChange::kDone);
  std::filesystem::remove(prefix_.Path() / "quarantine" / gone);

  QuarantineDialog dialog(context_, prefix_.Store(), nullptr);
  const QString texts[] = {QStringLiteral("\\My Documents\\game.cab\nTrojan.B  %1"),
                           QStringLiteral("\\gone.exe\nTrojan.G  %1 (missing)"),
                           QStringLiteral("\\Windows\\evil.exe\nTrojan.A  %1")};
  ASSERT_EQ(dialog.List()->count(), 3);
  for (int i = 0; i < 3; ++i) {
    const std::string& time = dialog.Lines()[i].item.record.time;
    EXPECT_EQ(dialog.List()->item(i)->text(), texts[i].arg(LocalMinute(time)));
  }
  EXPECT_EQ(dialog.StatusLine()->text(), QStringLiteral("\\My Documents\\game.cab"));
  dialog.List()->setCurrentRow(2);
  EXPECT_EQ(dialog.StatusLine()->text(), QStringLiteral("\\Windows\\evil.exe"));
  EXPECT_TRUE(boxes_.shown.empty());
}

// A signature too long for the line is cut; the time and the path are not.
TEST_F(QuarantineDialogTest, ALongSignatureGivesWayToTheTime) {
  (void)Quarantined(prefix_, "evil.exe", kEvilBytes, u"Trojan.With.A.Very.Long.Family.Name");
  const QFontMetrics metrics(QApplication::font());
  const int width = metrics.horizontalAdvance(QStringLiteral("Trojan.With  2026/12/7 05:08"));
  const auto lines = QuarantineLines(ListQuarantine(prefix_.Store()).value, metrics, width);
  ASSERT_EQ(lines.size(), 1u);
  const QString& text = lines[0].text;
  const QString time = LocalMinute(lines[0].item.record.time);
  EXPECT_EQ(text.count(u'\n'), 1) << text.toStdString();
  EXPECT_TRUE(text.startsWith(QStringLiteral("\\evil.exe\nTrojan."))) << text.toStdString();
  EXPECT_TRUE(text.endsWith(QChar(0x2026) + QStringLiteral("  ") + time));
  EXPECT_LE(metrics.horizontalAdvance(text.section(u'\n', 1)), width);
}

TEST_F(QuarantineDialogTest, RestoreAndDeleteAskFirstTellRefusalsAndReadTheListAgain) {
  const std::string path = "\\Windows\\evil.exe";
  const std::string ask = "Question|Restore this file to its place?\n" + path + " (Yes/No)";
  const struct {
    const char* name;
    int command;
    MessageAnswer answer;
    const char* before;  // "file": a file stands at the path; "folder": its folder is gone
    std::vector<std::string> boxes;  // as RecordingBoxes::Texts gives them
    bool listed;                     // the item still quarantined afterwards
    std::string storeFile;           // the file at the path afterwards; "-": none
  } rows[] = {
      // clang-format off
      {"restore", ids::kRestoreItem, MessageAnswer::kYes, "",
       {ask, "Finished|Restore successfully:\n" + path}, false, kEvilBytes},
      {"restore answered No", ids::kRestoreItem, MessageAnswer::kNo, "", {ask}, true, "-"},
      {"restore over a file", ids::kRestoreItem, MessageAnswer::kYes, "file",
       {ask, "Warning|Can not restore,there is already a file at:\n" + path}, true, "mine"},
      {"restore without its folder", ids::kRestoreItem, MessageAnswer::kYes, "folder",
       {ask, "Warning|Can not restore,the file's folder does not exist:\n" + path}, true, "-"},
      {"delete", ids::kPurgeItem, MessageAnswer::kYes, "", {"Question|Delete this file from the "
       "quarantine?It can not be restored afterwards.\n" + path + " (Yes/No)"}, false, "-"},
      // clang-format on
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    SkinnedPrefix prefix;
    (void)Quarantined(prefix, "Windows/evil.exe", kEvilBytes, u"Trojan.A");
    if (row.before == std::string("file")) prefix.WriteStoreFile("Windows/evil.exe", "mine");
    if (row.before == std::string("folder"))
      std::filesystem::remove(prefix.StorePath() / "Windows");
    RecordingBoxes boxes;
    boxes.answers = {row.answer};
    const UiContext context{HandsetScreen{240, 320}, boxes};
    QuarantineDialog dialog(context, prefix.Store(), nullptr);

    ASSERT_TRUE(PressSoftKey(&dialog, row.command));
    EXPECT_EQ(boxes.Texts(), row.boxes);

    // The list read again: restored and deleted items are no longer in it.
    EXPECT_EQ(dialog.List()->count(), row.listed ? 1 : 0);
    EXPECT_EQ(dialog.StatusLine()->text().toStdString(),
              row.listed ? path : "There's no file in quarantine.");
    const std::filesystem::path file = prefix.StorePath() / "Windows/evil.exe";
    EXPECT_EQ(std::filesystem::exists(file) ? ReadFile(file) : "-", row.storeFile);
  }
}

}  // namespace
}  // namespace kv::testing
