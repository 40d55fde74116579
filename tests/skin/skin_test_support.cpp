#include "tests/skin/skin_test_support.h"

#include "framework/win_app.h"
#include "framework/wnd.h"

namespace skin_test {

HBITMAP MakeBitmap(int width, int height, const std::function<COLORREF(int x, int y)>& colour) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return nullptr;
  auto* pixels = static_cast<uint32_t*>(bits);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const COLORREF c = colour(x, y);
      pixels[y * width + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
  ::GdiFlush();
  return bitmap;
}

Canvas::Canvas(int width, int height, COLORREF background)
    : bitmap_(MakeSolidBitmap(width, height, background)),
      dc_(::CreateCompatibleDC(nullptr)),
      select_(dc_.get(), bitmap_.get()) {}

bool TakePosted(HWND hwnd, UINT msg, MSG* out) {
  return ::PeekMessageW(out, hwnd, msg, msg, PM_REMOVE | PM_NOYIELD) != FALSE;
}

COLORREF ScreenPixel(int x, int y) {
  fw::ScopedWindowDc screen(nullptr);
  return ::GetPixel(screen.get(), x, y);
}

namespace {
void SendMouseInput(DWORD flags, LONG dx = 0, LONG dy = 0) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = dx;
  input.mi.dy = dy;
  input.mi.dwFlags = flags;
  ::SendInput(1, &input, sizeof input);
}
}  // namespace

void MouseMoveTo(int x, int y) {
  const int w = ::GetSystemMetrics(SM_CXSCREEN);
  const int h = ::GetSystemMetrics(SM_CYSCREEN);
  // Absolute input maps back to a pixel as (d * size) >> 16; round up so it lands on (x, y).
  SendMouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, static_cast<LONG>((x * 65536LL + w - 1) / w),
                 static_cast<LONG>((y * 65536LL + h - 1) / h));
}

void MouseLeftDown() { SendMouseInput(MOUSEEVENTF_LEFTDOWN); }
void MouseLeftUp() { SendMouseInput(MOUSEEVENTF_LEFTUP); }

void UseTestResources() { AfxSetResourceHandle(::GetModuleHandleW(nullptr)); }

}  // namespace skin_test
