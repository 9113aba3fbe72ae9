// The identifiers of the program's commands and controls, as the handset's
// resources numbered them: menu items, soft keys, buttons and the controls
// that dialogs and windows look up by identifier.
//
// Kept in one header so that the menus, the accelerator table, the main
// window's command table and the dialogs all name the same numbers.
#pragma once

namespace kv::ids {

// Commands.
inline constexpr int kOk = 1;      // the caption's OK button, left soft key of menu 4
inline constexpr int kCancel = 2;  // also the main window's "Exit"
inline constexpr int kScanWhenStartup = 1002;
inline constexpr int kMonitorCabFiles = 1003;
inline constexpr int kMemoryScan = 5000;
inline constexpr int kFullScan = 5001;
inline constexpr int kFastScan = 5002;
inline constexpr int kViewLog = 5003;
inline constexpr int kQuarantine = 5005;  // 5004 is the title panel's
inline constexpr int kStopScan = 32780;
inline constexpr int kBack = 32781;
inline constexpr int kAbout = 32783;
inline constexpr int kClearLog = 32785;
inline constexpr int kEnableCabMonitor = 32793;
inline constexpr int kDisableCabMonitor = 32794;
inline constexpr int kUpdateVirusDb = 32801;
inline constexpr int kRestoreItem = 32802;  // the quarantine dialog's soft keys
inline constexpr int kPurgeItem = 32803;

// Menus, dialog layouts, the accelerator table and the icon.
inline constexpr int kAboutMenu = 4;
inline constexpr int kMainMenu = 130;
inline constexpr int kScanMenu = 131;
inline constexpr int kQuarantineMenu = 132;
inline constexpr int kAboutDialog = 100;
inline constexpr int kScanDialog = 130;
inline constexpr int kMainAccelerators = 128;
inline constexpr int kProgramIcon = 101;

// Controls.
inline constexpr int kAboutTitlePanel = 123;
inline constexpr int kAboutIcon = 201;
inline constexpr int kAboutProductName = 202;
inline constexpr int kAboutVersion = 204;
inline constexpr int kAboutDatabaseVersion = 205;
inline constexpr int kScanList = 1007;
inline constexpr int kScanStatus = 1008;
inline constexpr int kTitlePanel = 5004;  // the banner of the main window and the scan dialog

}  // namespace kv::ids
