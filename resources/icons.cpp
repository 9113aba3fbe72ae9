// Icon 101: a blue shield with a white tick, the scanner's "protected".
#include "resources/icons.h"

#include <array>

#include "resources/command_ids.h"
#include "resources/find_by_id.h"

namespace kv {
namespace {

// clang-format off
constexpr std::array<std::string_view, 16> kShieldRows = {
    "................",
    "......oooo......",
    "...ooobbbbooo...",
    "..obbbbbbbbbbo..",
    "..obllbbbbbbbo..",
    "..oblbbbbbbwbo..",
    "..oblbbbbbwwbo..",
    "..obbbbbbwwbbo..",
    "..obwbbbwwbbbo..",
    "...obwwwwbbbo...",
    "...obbwwbbbbo...",
    "....obbbbbbo....",
    ".....obbbbo.....",
    "......obbo......",
    ".......oo.......",
    "................",
};
// clang-format on

constexpr std::array kShieldPalette = {
    IconPixel{'o', 0xFF14365C},
    IconPixel{'b', 0xFF2F7FD8},
    IconPixel{'l', 0xFF8CC4FF},
    IconPixel{'w', 0xFFFFFFFF},
};

constexpr std::array kIcons = {IconResource{ids::kProgramIcon, kShieldRows, kShieldPalette}};

}  // namespace

const IconResource* FindIcon(int id) { return FindById<IconResource>(kIcons, id); }

}  // namespace kv
