// kv_gui_screenshots: renders the main window, a running full scan with
// its progress, the finished scan with its summary line, the About box and the quarantine at
// 240x320 and 480x640 into OUT_DIR (the README's docs/), on Qt's offscreen platform, with the skin
// the build drew.
//
//   kv_gui_screenshots OUT_DIR
#include <QApplication>
#include <QDir>
#include <QFont>
#include <QLabel>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <semaphore>

#include "log/log_file.h"
#include "support/scan_recorders.h"
#include "support/temp_files.h"
#include "ui/about_dialog.h"
#include "ui/main_window.h"
#include "ui/quarantine_dialog.h"
#include "ui/skin_library.h"

namespace {

using namespace kv;

bool Save(QWidget& window, const QDir& out, const QString& name) {
  window.show();
  QCoreApplication::processEvents();
  const QString file = out.filePath(name + QStringLiteral(".png"));
  if (window.grab().save(file, "PNG")) return true;
  std::fprintf(stderr, "kv_gui_screenshots: cannot write %s\n", qPrintable(file));
  return false;
}

bool RenderScreen(const testing::TempPrefix& prefix, HandsetScreen screen, const QDir& out) {
  const QString size = QStringLiteral("%1x%2").arg(screen.width).arg(screen.height);
  testing::RecordingBoxes boxes;
  const UiContext context{screen, boxes};
  ScanRunner runner;
  testing::FixedClock clock;
  std::binary_semaphore go(0);
  ScanServices scans{
      prefix.Store(), runner, clock,
      [&](ScanMode mode, const StopToken&, ScanObserver& view, const ScanOutputs&) {
        view.OnScanEvent(ScanStarted{mode, clock.Now(), 1, 1, 0, 0});
        view.OnScanEvent(ScanCounted{2200});
        for (int i = 0; i < 733; ++i) {
          view.OnScanEvent(FileChecking{u"\\Windows\\clean.exe"});
          view.OnScanEvent(FileVerdict{u"\\Windows\\clean.exe", Verdict::Clean(), {}, 48'000});
        }
        view.OnScanEvent(
            ActionTaken{ActionKind::kDeleteInfected, u"\\Windows\\evil.exe", "", true, false, {}});
        view.OnScanEvent(ActionTaken{
            ActionKind::kDeleteInfected, u"\\My Documents\\game.cab", "", false, false, {}});
        view.OnScanEvent(FileChecking{u"\\Program Files\\Games\\solitaire.exe"});
        go.acquire();
        view.OnScanEvent(ScanFinished{mode, clock.Now(), false, {734, 2, 0, 1, 0}});
      }};
  PublishedDatabase database;
  RegistryHive hive(HivePath(prefix.Store()));
  DataConnection connection;
  MainWindowServices services{prefix.Store(), database,      hive,  nullptr,
                              connection,     std::string(), scans, [](int) {}};
  MainWindow window(context, services);
  bool saved = Save(window, out, QStringLiteral("main-") + size);

  {
    ScanDialog dialog(context, scans, ScanMode::kFull, &window);
    while (!dialog.StatusLine()->text().endsWith(QStringLiteral("solitaire.exe"))) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    saved = Save(dialog, out, QStringLiteral("scan-") + size) && saved;
    go.release();
    runner.WaitUntilIdle();
    saved = Save(dialog, out, QStringLiteral("scan-finished-") + size) && saved;
  }
  {
    QuarantineDialog quarantine(context, prefix.Store(), &window);
    quarantine.List()->setCurrentRow(1);
    saved = Save(quarantine, out, QStringLiteral("quarantine-") + size) && saved;
  }
  {
    // A log as a day of scans leaves it, newest line first; it loads on a
    // worker.
    std::filesystem::remove(prefix.StorePath() / "Runeskop.log");
    for (const std::u16string_view record :
         {u"2024/6/11 09:58:40 Self scan started", u"*There's no Trojan!",
          u"2024/6/11 09:58:41 Self scan finished", u"2024/6/11 10:15:02 Start Full scanning...",
          u"\\Windows\\evil.exe", u"[1].Found Trojan,Delete successfully:",
          u"Can not check:\\My Documents\\huge.cab", u"*2024/6/11 10:16:45 Full scan finished!"}) {
      if (AppendLogRecord(prefix.Store(), kLogPath, record) != LogAppendResult::kAppended) {
        return false;
      }
    }
    ScanDialog log(context, scans, ScanMode::kLogView, &window);
    while (log.List()->count() == 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    saved = Save(log, out, QStringLiteral("log-") + size) && saved;
  }
  AboutDialog about(context, &window);
  return Save(about, out, QStringLiteral("about-") + size) && saved;
}

// A few items in the quarantine, as scans leave them.
bool FillQuarantine(const testing::TempPrefix& prefix) {
  struct Item {
    const char* file;
    std::u16string_view path;
    std::u16string_view signature;
  };
  const Item items[] = {
      {"Storage Card/Program Files/Downloaded Tools/helper.dll",
       u"\\Storage Card\\Program Files\\Downloaded Tools\\helper.dll", u"companion of evil.exe"},
      {"Windows/evil.exe", u"\\Windows\\evil.exe", u"Trojan.Spy.Mobile"},
      {"My Documents/game.cab", u"\\My Documents\\game.cab", u"Trojan.Dropper.Cab"},
  };
  for (const Item& item : items) {
    prefix.WriteStoreFile(item.file, "harmless sample");
    if (!QuarantineStoreFile(prefix.Store(), item.path, {item.signature, u"interactive"})
             .Removed()) {
      return false;
    }
  }
  return true;
}

bool RenderAll(const QDir& out);

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: kv_gui_screenshots OUT_DIR\n", stderr);
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"));
  const QDir out(QString::fromLocal8Bit(argv[1]));
  if (!out.mkpath(QStringLiteral("."))) return 1;
  try {
    return RenderAll(out) ? 0 : 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kv_gui_screenshots: %s\n", error.what());
    return 1;
  }
}

namespace {

bool RenderAll(const QDir& out) {
  testing::TempPrefix prefix;
  testing::WriteFile(prefix.StorePath() / "Program Files/Quellbrin/mainskin.dll",
                     testing::ReadFile(KV_SKIN_BUNDLE_PATH));
  SkinLibrary skin;
  if (!skin.Load(prefix.Store())) {
    std::fputs("kv_gui_screenshots: cannot load the skin\n", stderr);
    return false;
  }
  if (!FillQuarantine(prefix)) {
    std::fputs("kv_gui_screenshots: cannot fill the quarantine\n", stderr);
    return false;
  }
  bool saved = true;
  for (const HandsetScreen screen : {HandsetScreen{240, 320}, HandsetScreen{480, 640}}) {
    saved = RenderScreen(prefix, screen, out) && saved;
  }
  return saved;
}

}  // namespace
