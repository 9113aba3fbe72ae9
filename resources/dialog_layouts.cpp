// The dialog layouts as constant tables. The About box's last two lines
// (the maker's notice and address) are ours to word.
#include "resources/dialog_layouts.h"

#include <array>

#include "resources/command_ids.h"
#include "resources/find_by_id.h"

namespace kv {
namespace {

constexpr std::array kAboutItems = {
    DialogItem{ids::kAboutIcon, DialogItemKind::kIcon, 12, 50, 20, 20, {}, ids::kProgramIcon},
    DialogItem{ids::kAboutProductName, DialogItemKind::kText, 44, 51, 96, 13, u"Kestrelvox", 0},
    DialogItem{ids::kAboutVersion, DialogItemKind::kText, 44, 65, 88, 8, u"v2.1", 0},
    DialogItem{ids::kAboutDatabaseVersion, DialogItemKind::kText, 7, 85, 126, 11,
               u"VirusDB Version: 20102", 0},
    DialogItem{kNoControlId, DialogItemKind::kText, 7, 104, 157, 24,
               u"(C) Quellbrin Software.\nAll rights reserved.", 0},
    DialogItem{kNoControlId, DialogItemKind::kText, 10, 132, 161, 25,
               u"Updates and help:\nquellbrin.example/kestrelvox", 0},
};

constexpr std::array kScanItems = {
    DialogItem{ids::kScanStatus, DialogItemKind::kBorderedText, 3, 46, 164, 16, u"Ready to scan...",
               0},
    DialogItem{ids::kScanList, DialogItemKind::kListView, 0, 65, 172, 96, {}, 0},
};

constexpr std::array kLayouts = {
    DialogLayout{ids::kAboutDialog, 185, 197, kAboutItems},
    DialogLayout{ids::kScanDialog, 213, 191, kScanItems},
};

}  // namespace

const DialogLayout* FindDialogLayout(int id) { return FindById<DialogLayout>(kLayouts, id); }

}  // namespace kv
