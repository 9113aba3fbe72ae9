// The handset's screen as the GUI sees it: its size in pixels, the scale
// factor of every layout length, and the frame around a full-screen window.
//
// Entry points: HandsetScreen, ParseScreenSize, ScreenFromEnvironment,
// Scaled.
// The screen is $KESTRELVOX_SCREEN ("WIDTHxHEIGHT", default 480x640), not
// the host's, so that the program lays itself out as on the handset
// whatever display shows it. The scale factor is the shorter side divided
// by 240 in integers, then made a float (240 and 320 give 1, 480 gives 2).
// A full-screen window is the screen's size: a title strip of 26 scale
// units at the top, the client area, and the soft-key bar of 26 units at
// the bottom, so that 240x320 gives the handset's 240x268 client area.
#pragma once

#include <optional>
#include <string_view>

namespace kv {

struct HandsetScreen {
  int width = 480;
  int height = 640;

  int ShortSide() const { return width < height ? width : height; }
  float Scale() const {
    const int factor = ShortSide() / 240;  // truncated before it becomes a float
    return static_cast<float>(factor);
  }
  // Height of the title strip and of the soft-key bar.
  int StripHeight() const;
  int ClientHeight() const { return height - 2 * StripHeight(); }
};

// A design length times the scale, truncated, as every layout length is.
inline int Scaled(float scale, int length) {
  return static_cast<int>(scale * static_cast<float>(length));
}

// "WIDTHxHEIGHT" with both sides from 240 to 4096 pixels; nothing for
// anything else.
std::optional<HandsetScreen> ParseScreenSize(std::string_view text);

// $KESTRELVOX_SCREEN, or 480x640 when it is unset or not a screen size.
HandsetScreen ScreenFromEnvironment();

}  // namespace kv
