// The interactive start: display, single instance, skin, main window, loop.
#include "ui/run_interactive.h"

#include <QApplication>
#include <cstdlib>
#include <iostream>

#include "log/scan_records.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "resources/string_table.h"
#include "scan/run_scan.h"
#include "ui/main_window.h"
#include "ui/program_application.h"
#include "ui/qt_message_boxes.h"
#include "ui/qt_text.h"
#include "ui/single_instance.h"
#include "ui/skin_library.h"

namespace kv {
namespace {

// Creates the main window, shows it, runs the loop and returns its code.
int RunMainWindow(const UiContext& context, MainWindowServices& services, SingleInstance& instance,
                  bool hide) {
  MainWindow window(context, services);
  instance.SetBringForward([&window] { window.BringForward(); });
  if (hide) {
    window.showMinimized();
  } else {
    window.show();
  }
  const int code = QApplication::exec();
  instance.SetBringForward({});
  return code;
}

}  // namespace

int RunInteractive(InteractiveContext& context, bool hide) {
  // Qt would end the process on a display it cannot reach, so look first.
  if (!DisplayReachable()) {
    std::cerr << (DisplayNamed() ? "tarnwatch: the display cannot be reached; "
                                 : "tarnwatch: no display to show the window on (set "
                                   "DISPLAY); ")
              << kNoDisplayHint;
    return kNoDisplayExitCode;
  }
  const ProgramApplication application;

  SingleInstance instance(context.store.PrefixPath() / "run", LoadQString(strings::kProductName),
                          [](int milliseconds) { SleepMilliseconds(milliseconds); });
  if (const int check = instance.Check(hide); check != kFirstInstance) {
    // The handset ended with the check's HRESULT; on the host only the
    // documented statuses go out, so a check that failed ends as a start
    // that cannot go on, and says why.
    if (check != kAnotherInstance) {
      std::cerr << "tarnwatch: cannot take the single-instance lock in '"
                << instance.SocketPath().parent_path().string() << "'\n";
    }
    return kAnotherInstance;
  }

  SkinLibrary skin;
  if (!skin.Load(context.store)) return 0;

  QtMessageBoxes boxes;
  const UiContext ui{ScreenFromEnvironment(), boxes};
  ScanRunner runner;
  const HostClock clock;
  ScanServices scans{context.store, runner, clock,
                     [&context](ScanMode mode, const StopToken& stop, ScanObserver& view,
                                const ScanOutputs& outputs) {
                       ScanRecords records(context.store);
                       ScanEvents events;
                       records.ObserveWith(events);
                       events.Add(view);
                       (void)RunScan(context.store, context.database.Current(), mode, stop, events,
                                     outputs, DefaultScanThreads());
                     }};
  DataConnection connection;
  MainWindowServices services{
      context.store, context.database,     context.hive, context.scanStatusWatch,
      connection,    context.updateServer, scans,        [](int code) { std::quick_exit(code); }};
  return RunMainWindow(ui, services, instance, hide);
}

}  // namespace kv
