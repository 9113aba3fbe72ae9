// The main window: layout, command table, Exit.
#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QShortcut>

#include "app/database_line.h"
#include "app/menu_commands.h"
#include "resources/accelerators.h"
#include "resources/command_ids.h"
#include "resources/string_table.h"
#include "ui/about_dialog.h"
#include "ui/background_work.h"
#include "ui/handset_frame.h"
#include "ui/qt_text.h"
#include "ui/quarantine_dialog.h"
#include "ui/soft_key_bar.h"
#include "update/database_update.h"

namespace kv {
namespace {

struct ButtonSpec {
  int label;
  int command;
  int tallImage;
  int shortImage;
};

// In the window's order, which differs from the menu's.
constexpr std::array<ButtonSpec, 4> kButtons = {{
    {strings::kMemoryScanLabel, ids::kMemoryScan, 6535, 6559},
    {strings::kFullScanLabel, ids::kFullScan, 6533, 6557},
    {strings::kFastScanLabel, ids::kFastScan, 6531, 6555},
    {strings::kViewLogLabel, ids::kViewLog, 6537, 6561},
}};

constexpr int kButtonFontSize = 9;
constexpr int kPanelDesignHeight = 40;
constexpr int kDatabaseLineDesignPixels = 11;

}  // namespace

MainWindow::MainWindow(const UiContext& context, MainWindowServices& services)
    : context_(context), services_(services) {
  const CommandHandler onCommand = [this](int command) { OnCommand(command); };
  HandsetFrame frame(*this, context.screen, LoadQString(strings::kProductName));
  (void)CreateSoftKeyBar(frame.SoftKeyPlace(), ids::kMainMenu, onCommand, context.boxes, this);
  CreateButtons(frame.Client());
  // The keyboard starts on the first button.
  if (buttons_[0].Widget() != nullptr) buttons_[0].Widget()->setFocus();
  CreateDatabaseLine(frame.Client());
  const QRect client = frame.Client()->rect();
  titlePanel_ = std::make_unique<SkinPanel>();
  (void)titlePanel_->Create(
      frame.Client(), QRect(0, 0, client.width(), Scaled(context.Scale(), kPanelDesignHeight)),
      ids::kTitlePanel, TitleBannerImage(client.height() > 320), context.Scale());
  AddAccelerators();

  const MessageOwner owner = this;
  commands_ = {
      {ids::kOk, [this] { Exit(); }},
      {ids::kCancel, [this] { Exit(); }},
      {ids::kMemoryScan, [this] { Scan(ScanMode::kMemory); }},
      {ids::kFastScan, [this] { Scan(ScanMode::kFast); }},
      {ids::kFullScan, [this] { StartFullScan(); }},
      {ids::kViewLog, [this] { Scan(ScanMode::kLogView); }},
      {ids::kQuarantine,
       [this] {
         // A scan that outlived its dialog may still be moving files in.
         services_.scans.runner.WaitUntilIdle();
         OpenQuarantineDialog(context_, services_.store, this);
       }},
      {ids::kScanWhenStartup, [this, owner] { OnScanWhenStartup(context_.boxes, owner); }},
      {ids::kMonitorCabFiles,
       [this, owner] { OnMonitorCabFiles(services_.hive, context_.boxes, owner); }},
      {ids::kEnableCabMonitor,
       [this, owner] { OnEnableCabMonitor(services_.hive, context_.boxes, owner); }},
      {ids::kDisableCabMonitor,
       [this, owner] { OnDisableCabMonitor(services_.hive, context_.boxes, owner); }},
      {ids::kClearLog, [this, owner] { OnClearLog(services_.store, context_.boxes, owner); }},
      {ids::kUpdateVirusDb, [this] { UpdateVirusDb(); }},
      {ids::kAbout, [this] { OnAbout(context_, this); }},
  };
}

void MainWindow::CreateButtons(QWidget* client) {
  const float s = context_.Scale();
  const QRect area = client->rect();
  const bool tall = area.height() > 320;
  const int width = Scaled(s, 200);
  const int x = (area.width() - width) / 2;
  const int spread = area.height() - Scaled(s, 116);
  for (std::size_t i = 0; i < kButtons.size(); ++i) {
    const ButtonSpec& spec = kButtons[i];
    const int y = Scaled(s, 70) + static_cast<int>(i) * spread / 4;
    if (!buttons_[i].Create(client, QRect(x, y, width, Scaled(s, 33)), LoadQString(spec.label),
                            spec.command, tall ? spec.tallImage : spec.shortImage, kButtonFontSize,
                            Scaled(s, 45), s)) {
      continue;
    }
    const int command = spec.command;
    connect(buttons_[i].Widget(), &QAbstractButton::clicked, this,
            [this, command] { OnCommand(command); });
  }
}

void MainWindow::CreateDatabaseLine(QWidget* client) {
  const float s = context_.Scale();
  const QRect area = client->rect();
  // The space between the last button and the soft keys.
  const int top = Scaled(s, 70) + 3 * (area.height() - Scaled(s, 116)) / 4 + Scaled(s, 33);
  databaseLine_ = new QLabel(client);
  databaseLine_->setObjectName(QStringLiteral("databaseLine"));
  databaseLine_->setGeometry(0, top, area.width(), area.height() - top);
  databaseLine_->setAlignment(Qt::AlignCenter);
  QFont font = databaseLine_->font();
  font.setPixelSize(Scaled(s, kDatabaseLineDesignPixels));
  databaseLine_->setFont(font);
  RenewDatabaseLine();
}

void MainWindow::RenewDatabaseLine() {
  databaseLine_->setText(ToQString(kv::DatabaseLine(*services_.database.Current())));
}

MainWindow::~MainWindow() {
  services_.scans.runner.Stop();
  services_.scans.runner.WaitUntilIdle();
}

void MainWindow::AddAccelerators() {
  for (const Accelerator& accelerator : FindAccelerators(ids::kMainAccelerators)) {
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key(accelerator.key)), this);
    const int command = accelerator.command;
    connect(shortcut, &QShortcut::activated, this, [this, command] { OnCommand(command); });
  }
}

void MainWindow::OnCommand(int command) {
  const auto handler = commands_.find(command);
  if (handler != commands_.end()) handler->second();
}

void MainWindow::Scan(ScanMode mode) { OpenScanDialog(context_, services_.scans, mode, this); }

void MainWindow::StartFullScan() {
  const MessageAnswer answer =
      context_.boxes.Show(this, strings::LoadString(strings::kAskStartFullScan),
                          strings::LoadString(strings::kCaptionQuestion), MessageButtons::kOkCancel,
                          MessageIcon::kQuestion);
  if (answer != MessageAnswer::kCancel) Scan(ScanMode::kFull);
}

void MainWindow::UpdateVirusDb() {
  // The reload must not run beside a scan that outlived its dialog.
  services_.scans.runner.WaitUntilIdle();
  UpdateContext update{
      services_.store,       services_.database, services_.connection, context_.boxes, this,
      services_.updateServer};
  update.trustKeyFile = TrustKeyFileFromEnvironment();
  OnUpdateVirusDb(update,
                  [this](const std::function<void()>& exchange) { RunBusy(*this, exchange); });
  RenewDatabaseLine();
}

void MainWindow::Exit() {
  if (services_.scanStatusWatch != nullptr) {
    services_.scanStatusWatch->Stop();
    services_.scanStatusWatch = nullptr;
  }
  titlePanel_.reset();
  services_.endProcess(0);
}

void MainWindow::BringForward() {
  showNormal();
  raise();
  activateWindow();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  QCoreApplication::exit(1);
}

}  // namespace kv
