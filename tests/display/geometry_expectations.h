#pragma once
// What the tests of view geometry share: the frame buffer's size at start-up in the video
// window's usual picture area, and a rectangle check that names the side that differs.
#include <windows.h>

#include <gtest/gtest.h>

namespace display_test {

inline constexpr int kW = 640, kH = 480, kCw = 468, kCh = 358;

inline void ExpectRect(const RECT& r, int left, int top, int right, int bottom) {
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.top, top);
  EXPECT_EQ(r.right, right);
  EXPECT_EQ(r.bottom, bottom);
}

}  // namespace display_test
