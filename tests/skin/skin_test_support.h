#pragma once
// Pictures, off-screen canvases and message pumping for the skin tests.
#include <windows.h>

#include <cstdint>
#include <functional>

#include "framework/handles.h"
#include "tests/support/message_pump.h"

#include <ostream>

// RECT comparisons and printing for the test assertions.
inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline void PrintTo(const RECT& r, std::ostream* os) {
  *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace skin_test {

// A 32-bit top-down DIB section whose pixels come from `colour`; the caller owns it.
HBITMAP MakeBitmap(int width, int height, const std::function<COLORREF(int x, int y)>& colour);
inline HBITMAP MakeSolidBitmap(int width, int height, COLORREF colour) {
  return MakeBitmap(width, height, [colour](int, int) { return colour; });
}

// An off-screen 32-bit surface to hand to a window as the DC of WM_ERASEBKGND or WM_DRAWITEM.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF background = RGB(1, 2, 3));
  HDC dc() const noexcept { return dc_.get(); }
  COLORREF At(int x, int y) const noexcept { return ::GetPixel(dc_.get(), x, y); }

 private:
  fw::UniqueBitmap bitmap_;
  fw::UniqueMemoryDc dc_;
  fw::ScopedSelectObject select_;
};

// True while `handle` still names a GDI bitmap.
inline bool IsLiveBitmap(HBITMAP handle) { return ::GetObjectType(handle) == OBJ_BITMAP; }

// Dispatches messages until `done` holds; false when it still does not after `limitMs`
// (a watchdog against a hang, not a measure of speed).
inline bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = 10000) {
  return testing_support::PumpUntil(done, limitMs);
}
// Dispatches what is queued now.
using testing_support::PumpPending;

// Takes the first posted `msg` for `hwnd` out of the queue; false when there is none.
bool TakePosted(HWND hwnd, UINT msg, MSG* out);

// True when two regions cover the same pixels, however their bands are cut.
inline bool SameArea(HRGN a, HRGN b) {
  fw::UniqueRegion difference(::CreateRectRgn(0, 0, 0, 0));
  return ::CombineRgn(difference.get(), a, b, RGN_XOR) == NULLREGION;
}

// The colour on the screen at a screen point.
COLORREF ScreenPixel(int x, int y);

// Real mouse input, queued for the thread's windows as a user's hand would make it.
void MouseMoveTo(int x, int y);
void MouseLeftDown();
void MouseLeftUp();

// Makes the test program's own templates the dialog source.
void UseTestResources();

}  // namespace skin_test
