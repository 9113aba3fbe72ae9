// The program's string table: every text the user sees, by the identifiers
// the handset's resources gave them, as UTF-16 exactly as the handset shows
// it ("\n" is a line break).
//
// Entry points: LoadString, and named constants for the identifiers in use.
// The table is a sorted constant array, so a load is a binary search and
// never allocates; the views it hands out live as long as the program.
// Texts that are no table entry on the handset but are still seen by the
// user (the scan's rule line and the dated prefix of its closing line) live
// here too, so that no user-visible text is spelt anywhere else.
#pragma once

#include <string_view>

namespace kv::strings {

inline constexpr int kProductName = 128;  // "Kestrelvox"; names the program to other programs

// The skinned controls and the main window's buttons.
inline constexpr int kSkinFontFace = 6600;  // "Tahoma": the banner caption's face
inline constexpr int kAboutTitle = 6601;
inline constexpr int kMemoryScanLabel = 6604;
inline constexpr int kFullScanLabel = 6605;
inline constexpr int kFastScanLabel = 6606;
inline constexpr int kViewLogLabel = 6607;

// The main window's questions. The handset's table gives these no
// documented place; they and the scan dialog's texts below fill free slots.
inline constexpr int kAskStartFullScan = 6609;
inline constexpr int kAskClearLog = 6617;

// The scan and log dialog.
inline constexpr int kReadyToScan = 6626;
inline constexpr int kLogViewStatus = 6627;
inline constexpr int kMemoryScanning = 6628;
inline constexpr int kFastScanning = 6629;
inline constexpr int kFullScanning = 6630;
inline constexpr int kScanStartLine = 6631;        // dated, then the mode's text
inline constexpr int kFoundTrojanNumbered = 6632;  // %d: the finding's number
inline constexpr int kFoundTrojanDeletedTail = 6633;
inline constexpr int kStopScanFirst = 6634;
inline constexpr int kAskStopScan = 6635;
inline constexpr int kFoundTrojanNotDeletedTail = 6661;
inline constexpr int kCreateThreadFailed = 6663;

// Captions of the message boxes.
inline constexpr int kCaptionError = 6603;
inline constexpr int kCaptionQuestion = 6608;
inline constexpr int kCaptionInformation = 6610;
inline constexpr int kCaptionFinished = 6615;
inline constexpr int kCaptionWarning = 6619;

// The settings commands.
inline constexpr int kStartupScanEnabled = 6611;
inline constexpr int kCabScanEnabled = 6612;
inline constexpr int kCannotSetFunction = 6613;
inline constexpr int kCabMonitorEnabled = 6614;
inline constexpr int kCabMonitorDisabled = 6616;

// The database update.
inline constexpr int kCannotDownload = 6618;
inline constexpr int kCannotConnect = 6620;
inline constexpr int kCannotGetVersion = 6621;
inline constexpr int kDatabaseIsLatest = 6622;  // %d: the server's version
inline constexpr int kUpdateFailed = 6623;
inline constexpr int kUpdateSucceeded = 6624;
inline constexpr int kAskConnectToUpdate = 6625;

// The memory scan.
inline constexpr int kMemoryNotEnough = 6636;
inline constexpr int kTrojanNotKilled = 6637;
inline constexpr int kNoTrojanInMemory = 6638;
inline constexpr int kFoundNoTrojans = 6639;
inline constexpr int kAskDeleteSuspect = 6640;  // %s: the executable's path
inline constexpr int kDeleteSucceeded = 6641;
inline constexpr int kCannotDelete = 6642;
inline constexpr int kFoundTrojanDeleted = 6643;     // %s: the path
inline constexpr int kFoundTrojanNotDeleted = 6644;  // %s: the path

// The scan driver.
inline constexpr int kLogTrojanDeleted = 6645;     // %s: the path
inline constexpr int kLogTrojanNotDeleted = 6646;  // %s: the path
inline constexpr int kNoTrojanLine = 6647;
inline constexpr int kMemoryScanFinished = 6648;
inline constexpr int kFastScanFinished = 6649;
inline constexpr int kFullScanFinished = 6650;
inline constexpr int kUserStopLine = 6662;

// The silent modes of the program's entry. The handset's table gives these
// no documented place; they fill the free slots after the scan texts.
inline constexpr int kSelfScanStarted = 6651;   // dated
inline constexpr int kSelfScanFinished = 6652;  // dated
inline constexpr int kCheckCabFile = 6653;      // dated
inline constexpr int kCabTrojanAlarm = 6654;
inline constexpr int kLogCabDeleted = 6655;  // %s: the CAB path
inline constexpr int kCabTrojanDeleted = 6656;
inline constexpr int kLogCabNotDeleted = 6657;  // %s: the CAB path
inline constexpr int kLogCabIgnored = 6658;     // %s: the CAB path
inline constexpr int kLogCabInstalling = 6659;  // %s: the CAB path
inline constexpr int kCannotInstall = 6660;

// Honest verdicts and records of every action, in every mode that logs.
inline constexpr int kCannotCheck = 6664;          // %s: the path
inline constexpr int kDatabaseNotLoaded = 6665;    // replaces kNoTrojanLine without signatures
inline constexpr int kLogProcessKilled = 6666;     // %s: the executable's path
inline constexpr int kLogCompanionDeleted = 6667;  // %s: the path
inline constexpr int kAskInstallUnchecked = 6668;
inline constexpr int kScanFailed = 6669;  // %s: what failed

// The scan dialog's progress (files, of the files expected; the rate; the
// elapsed minutes and seconds) and its closing summary.
inline constexpr int kScanProgressOf = 6670;
inline constexpr int kScanProgress = 6671;  // while the files expected are unknown
inline constexpr int kScanSummary = 6672;   // checked, found, not checked

// The quarantine dialog. %s is the item's device path where not said.
inline constexpr int kQuarantineTitle = 6680;
inline constexpr int kQuarantineEmpty = 6681;
inline constexpr int kQuarantineUnreadable = 6682;
inline constexpr int kQuarantineItemDetail = 6683;   // %s: the signature, %s: the time (6694)
inline constexpr int kQuarantineItemMissing = 6684;  // as 6683, for an item whose file has gone
inline constexpr int kAskRestoreItem = 6685;
inline constexpr int kAskPurgeItem = 6686;
inline constexpr int kItemRestored = 6687;
inline constexpr int kRestoreTargetExists = 6688;
inline constexpr int kRestoreFolderMissing = 6689;
inline constexpr int kCannotRestoreItem = 6690;
inline constexpr int kCannotPurgeItem = 6691;
inline constexpr int kItemNoLongerQuarantined = 6692;
inline constexpr int kItemChangeNotRecorded = 6693;
inline constexpr int kQuarantineItemTime = 6694;  // year, month, day, hour, minute (local)

// The main window's line about the loaded database.
inline constexpr int kDatabaseLine = 6695;           // %d: the version, %s: the signature count
inline constexpr int kDatabaseLineOne = 6696;        // %d: the version; one signature
inline constexpr int kDatabaseLineNotLoaded = 6697;  // no signature to scan with

// The text of `id`; empty for an identifier the table does not hold.
std::u16string_view LoadString(int id);

// The line of hyphens that frames a scan's findings in the list and the log.
inline constexpr std::u16string_view kScanRuleLine = u"*--------------------------------------";
// The dated front of a scan's closing line; the closing text follows it.
inline constexpr std::u16string_view kScanClosingDateFormat = u"*%02d/%d/%d %02d:%02d:%02d ";

}  // namespace kv::strings
