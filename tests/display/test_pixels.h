#pragma once
// Pixel helpers for the display tests: an off-screen 32-bit canvas, captures of a window's
// client area, frame patterns, colour comparison with a tolerance, and a message pump that
// waits for a condition.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "framework/handles.h"
#include "state/app_state.h"
#include "state/frame_block.h"
#include "tests/support/message_pump.h"

namespace display_test {

// A top-down 32-bit DIB section selected into its own memory DC.
class Canvas {
 public:
  Canvas(int width, int height);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  COLORREF At(int x, int y) const;
  void Fill(COLORREF colour);
  // Number of pixels in the rectangle within `tolerance` of `colour` on every channel.
  int Count(const RECT& area, COLORREF colour, int tolerance) const;

 private:
  int width_, height_;
  fw::UniqueMemoryDc dc_;
  fw::UniqueBitmap bitmap_;
  HGDIOBJ previous_ = nullptr;     // not owned: the DC's stock bitmap, put back by ~Canvas
  std::uint32_t* bits_ = nullptr;  // owned by bitmap_
};

// What a window's client area shows now (copied through its DC).
std::unique_ptr<Canvas> CaptureClient(HWND hwnd);

bool Near(COLORREF a, COLORREF b, int tolerance);
::testing::AssertionResult ColourNear(COLORREF actual, COLORREF expected, int tolerance);

// Fills a 24-bit block: rows [0, topRows) `top`, the last `bottomRows` rows `bottom`, the rest `middle`
// (rows counted from the top of the picture as the buffer stores them).
void PaintBands(FrameBlock& block, COLORREF top, int topRows, COLORREF middle, COLORREF bottom, int bottomRows);
void PaintSolid(FrameBlock& block, COLORREF colour);

// Publishes a new frame as the hand-off does: a copy of the current one, changed by `paint`
// when given, becomes the newest frame with the next number.
void PublishFrame(FrameExchange& frames, const std::function<void(FrameBlock&)>& paint = {});
inline void PublishSolid(FrameExchange& frames, COLORREF colour) {
  PublishFrame(frames, [colour](FrameBlock& block) { PaintSolid(block, colour); });
}

// Pumps this thread's messages (through PreTranslateMessage, like the program's loop) until `done` is true or `limitMs`
// passed; returns `done()`. The limit only keeps a broken test from hanging; no test asserts on how long it took.
inline bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = 20000) {
  return testing_support::PumpUntil(done, limitMs);
}

// Frames keep arriving, as the hand-off stores them from a live camera, until `done`.
inline bool PumpFramesUntil(AppState& state, const std::function<bool()>& done, DWORD limitMs = 20000) {
  return PumpUntil(
      [&] {
        if (done()) return true;
        PublishFrame(state.frames);
        state.redraw.Notify();
        return false;
      },
      limitMs);
}
using testing_support::PumpFor;

// A visible popup window of the given client size with a plain window class.
fw::UniqueWindow MakeTestWindow(int width, int height, const wchar_t* title = L"display test");

// Real mouse input at a screen point (a move, plus any button flags).
void SendMouse(DWORD flags, POINT screen);
POINT ClientToScreenPoint(HWND hwnd, POINT pt);

// GDI objects and threads of this process now. Where the system does not report the GDI
// count (Wine), a number that moves with it: compare two of them, never with a constant.
DWORD GdiObjectCount();
int ThreadCount();

}  // namespace display_test
