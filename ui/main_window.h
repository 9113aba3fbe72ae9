// MainWindow: the interactive program's one full-screen window: the title
// banner, four skinned buttons (Memory Scan, Full Scan, Fast Scan, View
// Log), and the soft keys "Exit" and "Menu" of menu 130, with the command
// table that maps every menu item, button and accelerator to its handler.
//
// Entry points: MainWindowServices, MainWindow (OnCommand, BringForward).
//
// Layout, from the client rectangle and the scale s: buttons 200 s by 33 s,
// centred across; with A = client height - 116 s, button i stands at
// y = 70 s + i A / 4 (integers). The tall pictures are used when the
// client height exceeds 320 pixels. The banner spans the client's width,
// 40 s high. Below the buttons, centred in the room left, one line names
// the loaded database's version and signature count, renewed after every
// update (app/database_line.h). The update runs on a worker under the wait
// cursor, its controls disabled, while the window keeps painting.
//
// Exit (the left soft key, and the OK command) stops the ScanStatus watch
// and ends the process at once with 0, a scan thread still running
// included. A close by the window system ends the program's loop with 1.
// Scans, the log view, the quarantine and the update wait first for a scan
// thread that outlived its dialog (scan_runner.h).
#pragma once

#include <QLabel>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "database/published_database.h"
#include "platform/store.h"
#include "registry/hive.h"
#include "registry/watch.h"
#include "ui/scan_dialog.h"
#include "ui/skin_button.h"
#include "ui/skin_panel.h"
#include "ui/ui_context.h"
#include "update/data_connection.h"

namespace kv {

struct MainWindowServices {
  const Store& store;
  PublishedDatabase& database;
  RegistryHive& hive;
  RegistryWatch* scanStatusWatch;  // null: none was registered
  DataConnection& connection;
  std::string updateServer;  // $KESTRELVOX_UPDATE_URL, read once by the entry
  ScanServices& scans;
  // Ends the process at once with the given code (Exit).
  std::function<void(int)> endProcess;
};

class MainWindow final : public QWidget {
 public:
  MainWindow(const UiContext& context, MainWindowServices& services);
  // Stops a scan that outlived its dialog and waits for it: its boxes are
  // owned by this window.
  ~MainWindow() override;

  // Runs the command `command`; unknown commands do nothing.
  void OnCommand(int command);

  // Shows the window and brings it to the front (a second start asks so).
  void BringForward();

  SkinButton& Button(int index) { return buttons_.at(static_cast<std::size_t>(index)); }
  SkinPanel* TitlePanel() const { return titlePanel_.get(); }
  QLabel* DatabaseLine() const { return databaseLine_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateButtons(QWidget* client);
  void CreateDatabaseLine(QWidget* client);
  void RenewDatabaseLine();
  void AddAccelerators();
  void Scan(ScanMode mode);
  void StartFullScan();
  void UpdateVirusDb();
  void Exit();

  const UiContext& context_;
  MainWindowServices& services_;
  std::array<SkinButton, 4> buttons_;
  std::unique_ptr<SkinPanel> titlePanel_;
  QLabel* databaseLine_ = nullptr;  // owned by the client area
  std::map<int, std::function<void()>> commands_;
};

}  // namespace kv
