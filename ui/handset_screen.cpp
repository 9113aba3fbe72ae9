// The handset screen's size from the environment, and its frame.
#include "ui/handset_screen.h"

#include <charconv>

#include "platform/environment.h"

namespace kv {
namespace {

constexpr int kStripDesignHeight = 26;
constexpr int kMinSide = 240;
constexpr int kMaxSide = 4096;

std::optional<int> ParseSide(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < kMinSide || value > kMaxSide) return std::nullopt;
  return value;
}

}  // namespace

int HandsetScreen::StripHeight() const { return Scaled(Scale(), kStripDesignHeight); }

std::optional<HandsetScreen> ParseScreenSize(std::string_view text) {
  const auto cross = text.find('x');
  if (cross == std::string_view::npos) return std::nullopt;
  const auto width = ParseSide(text.substr(0, cross));
  const auto height = ParseSide(text.substr(cross + 1));
  if (!width || !height) return std::nullopt;
  return HandsetScreen{*width, *height};
}

HandsetScreen ScreenFromEnvironment() {
  const auto text = GetEnvironment("KESTRELVOX_SCREEN");
  if (text) {
    if (const auto screen = ParseScreenSize(*text)) return *screen;
  }
  return HandsetScreen{};
}

}  // namespace kv
