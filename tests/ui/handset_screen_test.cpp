// The handset screen's size from "WIDTHxHEIGHT": two decimal sides within
// the handset's range, and nothing else.
#include "ui/handset_screen.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(HandsetScreen, ReadsWidthByHeightAndNothingElse) {
  const auto screen = ParseScreenSize("479x640");
  ASSERT_TRUE(screen);
  EXPECT_EQ(screen->width, 479);
  EXPECT_EQ(screen->height, 640);
  for (const char* text : {"", "480", "480x", "x640", "480X640", "239x320", "480x640x2", "480 x640",
                           "4097x640", "-480x640", "480x6401"}) {
    EXPECT_FALSE(ParseScreenSize(text)) << text;
  }
}

}  // namespace
}  // namespace kv
