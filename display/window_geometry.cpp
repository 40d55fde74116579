#include "display/window_geometry.h"

#include <cstdint>

namespace display {
namespace {

// Strictly within 9 pixels of `line` on either side.
bool Near(int value, int line) { return line - kSnapDistance < value && value < line + kSnapDistance; }

std::int64_t Area(const RECT& r) {
  if (r.right <= r.left || r.bottom <= r.top) return 0;
  return static_cast<std::int64_t>(r.right - r.left) * (r.bottom - r.top);
}

std::int64_t OverlapArea(const RECT& a, const RECT& b) {
  RECT overlap{};
  return ::IntersectRect(&overlap, &a, &b) ? Area(overlap) : 0;
}

}  // namespace

SnapResult SnapWindowPosition(int x, int y, int cx, int cy, int virtualWidth, int virtualHeight, int monitorCount,
                              const RECT* panel) {
  SnapResult r{x, y, false};
  if (virtualWidth > 0 && virtualHeight > 0) {
    if (r.x < kSnapDistance) r.x = 0;
    if (r.y < kSnapDistance) r.y = 0;
    if (r.y + cy > virtualHeight - kSnapDistance) r.y = virtualHeight - cy;
    if (r.x + cx > virtualWidth - kSnapDistance) r.x = virtualWidth - cx;
  }
  if (monitorCount > 1) {
    const int boundary = virtualWidth / monitorCount;
    if (Near(r.x, boundary)) r.x = boundary;
    if (Near(r.x + cx, boundary)) r.x = boundary - cx;
  }
  if (panel) {
    if (Near(r.x, panel->right)) {
      r.x = panel->right;
      r.docked = true;
    }
    if (Near(r.y, panel->bottom)) {
      r.y = panel->bottom;
      r.docked = true;
    }
    if (Near(r.x + cx, panel->left)) {
      r.x = panel->left - cx;
      r.docked = true;
    }
    if (Near(r.y + cy, panel->top)) {
      r.y = panel->top - cy;
      r.docked = true;
    }
  }
  return r;
}

RECT ScreenHalfRect(ScreenHalf half, int virtualWidth, int virtualHeight) {
  const int middle = static_cast<int>(virtualWidth * 0.5);
  return half == ScreenHalf::Left ? RECT{0, 0, middle, virtualHeight} : RECT{middle, 0, virtualWidth, virtualHeight};
}

ScreenHalf HalfHoldingMore(const RECT& window, int virtualWidth, int virtualHeight, ScreenHalf onTie) {
  const std::int64_t left = OverlapArea(ScreenHalfRect(ScreenHalf::Left, virtualWidth, virtualHeight), window);
  const std::int64_t right = OverlapArea(ScreenHalfRect(ScreenHalf::Right, virtualWidth, virtualHeight), window);
  if (left == right) return onTie;
  return left > right ? ScreenHalf::Left : ScreenHalf::Right;
}

RECT ChooseFullScreenRect(int monitorCount, int virtualWidth, int virtualHeight, const RECT& videoWindow) {
  if (monitorCount <= 1) return RECT{0, 0, virtualWidth, virtualHeight};
  return ScreenHalfRect(HalfHoldingMore(videoWindow, virtualWidth, virtualHeight, ScreenHalf::Right), virtualWidth,
                        virtualHeight);
}

ClosingKey ClassifyClosingKey(UINT message, WPARAM key) {
  if (message < WM_KEYFIRST || message > WM_KEYLAST) return ClosingKey::None;
  const bool press = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  if (key == VK_ESCAPE) return press ? ClosingKey::Press : ClosingKey::Rest;
  if (message == WM_SYSKEYDOWN && key == VK_F4) return ClosingKey::Press;
  if (message == WM_KEYDOWN && key == VK_RETURN) return ClosingKey::Press;
  return ClosingKey::None;
}

}  // namespace display
