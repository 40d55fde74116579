#include <windows.h>
#include <gtest/gtest.h>
TEST(Smoke, CreatesWindow) {
  HWND h = CreateWindowExW(0, L"STATIC", L"x", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(h, nullptr) << GetLastError();
  DestroyWindow(h);
}
TEST(Smoke, A) { EXPECT_EQ(1, 1); }
TEST(Smoke, B) { EXPECT_EQ(1, 1); }
TEST(Smoke, C) { EXPECT_EQ(1, 1); }
