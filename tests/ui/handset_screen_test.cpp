// The handset screen: its size from "WIDTHxHEIGHT", the scale factor
// truncated before it becomes a float, and the frame's client height.
#include "ui/handset_screen.h"

#include <gtest/gtest.h>

namespace kv::ui {
namespace {

struct ScreenRow {
  const char* text;
  int width, height;
  float scale;
  int clientHeight;
};

TEST(HandsetScreen, SizesScaleAndClientArea) {
  const ScreenRow rows[] = {
      {"240x320", 240, 320, 1.0f, 268}, {"320x240", 320, 240, 1.0f, 188},
      {"320x320", 320, 320, 1.0f, 268}, {"480x640", 480, 640, 2.0f, 536},
      {"479x640", 479, 640, 1.0f, 588},
  };
  for (const ScreenRow& row : rows) {
    const auto screen = ParseScreenSize(row.text);
    ASSERT_TRUE(screen) << row.text;
    EXPECT_EQ(screen->width, row.width) << row.text;
    EXPECT_EQ(screen->height, row.height) << row.text;
    EXPECT_EQ(screen->Scale(), row.scale) << row.text;
    EXPECT_EQ(screen->ClientHeight(), row.clientHeight) << row.text;
  }
}

TEST(HandsetScreen, AnythingElseIsNoScreen) {
  for (const char* text : {"", "480", "480x", "x640", "480X640", "239x320", "480x640x2", "480 x640",
                           "4097x640", "-480x640", "480x6401"}) {
    EXPECT_FALSE(ParseScreenSize(text)) << text;
  }
}

}  // namespace
}  // namespace kv::ui
