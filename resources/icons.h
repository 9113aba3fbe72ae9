// The program's icon 101, shown by the About box, as a small pixel table:
// one text row per pixel row, one character per pixel, each character a
// colour of the icon's palette.
//
// Entry points: IconPixel, IconResource, FindIcon.
// A table rather than an image file, so that the icon lives with the other
// resources as reviewable source and needs no decoder below the GUI; the
// GUI scales it to the rectangle its dialog gives it.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace kv {

struct IconPixel {
  char key = '.';
  std::uint32_t argb = 0;  // 0xAARRGGBB
};

struct IconResource {
  int id = 0;
  std::span<const std::string_view> rows;  // all of the same length
  std::span<const IconPixel> palette;      // a key missing from it is transparent
};

// The icon `id`, or null when the program has none by that number.
const IconResource* FindIcon(int id);

}  // namespace kv
