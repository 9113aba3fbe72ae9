// The menu resources as constant tables. Menu 130's pop-up follows the
// handset's order (Memory, Fast, Full), which differs from the order of the
// main window's buttons (Memory, Full, Fast).
#include "resources/menus.h"

#include <array>

#include "resources/command_ids.h"
#include "resources/find_by_id.h"

namespace kv {
namespace {

constexpr MenuItem Command(int command, std::u16string_view text) {
  return {MenuItemKind::kCommand, command, text, {}};
}
constexpr MenuItem Popup(std::u16string_view text, std::span<const MenuItem> items) {
  return {MenuItemKind::kPopup, 0, text, items};
}
constexpr MenuItem kSeparator{};

constexpr std::array kScanAndKill = {
    Command(ids::kMemoryScan, u"Memory Scan(&M)"),
    Command(ids::kFastScan, u"Fast Scan(&F)"),
    Command(ids::kFullScan, u"Full Scan(&A)..."),
};
constexpr std::array kAutoMonitor = {
    Command(ids::kScanWhenStartup, u"Scan when startup(&S)..."),
    Command(ids::kMonitorCabFiles, u"Monitor CAB files(&C)..."),
    kSeparator,
    Command(ids::kEnableCabMonitor, u"Enable CAB monitor(&O)..."),
    Command(ids::kDisableCabMonitor, u"Disable CAB monitor(&P)..."),
};
constexpr std::array kLog = {
    Command(ids::kViewLog, u"View Log(&L)..."),
    Command(ids::kQuarantine, u"Quarantine(&Q)..."),
    Command(ids::kClearLog, u"Clear Log(&G)..."),
};
constexpr std::array kMainPopup = {
    Popup(u"Scan and Kill", kScanAndKill),
    Popup(u"Auto monitor", kAutoMonitor),
    Popup(u"Log", kLog),
    kSeparator,
    Command(ids::kUpdateVirusDb, u"Update Virus DB"),
    kSeparator,
    Command(ids::kAbout, u"About(&A)..."),
};

constexpr std::array kAboutKeys = {Command(ids::kOk, u"OK"), Command(ids::kCancel, u"Cancel")};
constexpr std::array kMainKeys = {Command(ids::kCancel, u"Exit"), Popup(u"Menu", kMainPopup)};
constexpr std::array kScanKeys = {Command(ids::kStopScan, u"Stop"), Command(ids::kBack, u"Back")};
constexpr std::array kQuarantinePopup = {
    Command(ids::kPurgeItem, u"Delete(&D)..."),
    kSeparator,
    Command(ids::kBack, u"Back(&B)"),
};
constexpr std::array kQuarantineKeys = {Command(ids::kRestoreItem, u"Restore"),
                                        Popup(u"Menu", kQuarantinePopup)};

constexpr std::array kMenus = {
    MenuResource{ids::kAboutMenu, kAboutKeys},
    MenuResource{ids::kMainMenu, kMainKeys},
    MenuResource{ids::kScanMenu, kScanKeys},
    MenuResource{ids::kQuarantineMenu, kQuarantineKeys},
};

}  // namespace

const MenuResource* FindMenu(int id) { return FindById<MenuResource>(kMenus, id); }

}  // namespace kv
