#pragma once
// The arithmetic of the two picture windows: the video window's magnetic snapping, the
// monitor half the full-screen viewer covers, and which keys close or are kept from them.
#include <windows.h>

namespace display {

inline constexpr int kSnapDistance = 10;

struct SnapResult {
  int x = 0;
  int y = 0;
  bool docked = false;  // a side of the window now lies against the panel
};

// Where a window proposed at (x, y) with size (cx, cy) lands: pulled onto the edges of the
// virtual screen (0, 0, vw, vh) from 10 pixels inside them and from any distance outside;
// then, with two or more monitors, onto the boundary at vw / monitorCount from at most 9
// pixels either side; then onto the panel's edges (if there is a panel) from at most 9 pixels
// either side, which docks it. Only the position changes, never the size.
SnapResult SnapWindowPosition(int x, int y, int cx, int cy, int virtualWidth, int virtualHeight, int monitorCount,
                              const RECT* panel);

// The halves of the virtual screen (0, 0, virtualWidth, virtualHeight), split at its middle.
enum class ScreenHalf { Left, Right };
RECT ScreenHalfRect(ScreenHalf half, int virtualWidth, int virtualHeight);
// The half that holds more of `window`; `onTie` when both hold the same or none of it.
ScreenHalf HalfHoldingMore(const RECT& window, int virtualWidth, int virtualHeight, ScreenHalf onTie);

// The rectangle the full-screen viewer covers: the whole virtual screen with one monitor;
// with more, the half of it (left or right) that holds more of the video window, the right
// half when both hold the same or none of it.
RECT ChooseFullScreenRect(int monitorCount, int virtualWidth, int virtualHeight, const RECT& videoWindow);

// How the picture windows treat a keyboard message on its way to them. Escape, Enter and
// Alt+F4 are what would otherwise end a dialog; the video window swallows them all, the
// full-screen viewer closes itself on the key press and swallows the rest of the stroke.
enum class ClosingKey { None, Press, Rest };
ClosingKey ClassifyClosingKey(UINT message, WPARAM key);

}  // namespace display
