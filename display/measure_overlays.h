#pragma once
// Drawing the measuring overlays: the grid and the crosshair through the picture's centre, the
// measured lines with their lengths and angles, the scale bar in the bottom-right corner, and
// (in saved pictures) the time. Pure functions of the DC, the view's placement over the
// sensor and what to draw, for the render thread and for burning into a saved picture alike;
// each reports where it drew, so that only what changed need reach the screen.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "display/measure_math.h"
#include "display/picture_point.h"
#include "state/measuring.h"
#include "state/sensor_line.h"

namespace display {

inline constexpr COLORREF kGridColour = RGB(90, 170, 255);
inline constexpr COLORREF kCrosshairColour = RGB(255, 70, 70);
inline constexpr COLORREF kMeasureColour = RGB(255, 225, 0);
inline constexpr COLORREF kScaleBarColour = RGB(255, 255, 255);

struct MeasureOverlays {
  bool scaleBar = false;
  bool crosshair = false;
  bool grid = false;
  std::optional<double> micronsPerPixel;  // the calibration in use
  std::vector<SensorLine> lines;          // on the sensor
  std::wstring timeStamp;                 // bottom left; empty: none (the live view has none)
  bool Empty() const { return !scaleBar && !crosshair && !grid && lines.empty() && timeStamp.empty(); }
};

// What the shown picture carries now: the overlays that are on, every measured line and the
// calibration in use.
MeasureOverlays MeasureOverlaysOf(const Measuring& measuring);

// Sizes in the target's pixels: a view is drawn with thin lines and the DC's own font, a
// saved picture of 2592 x 1944 with thicker ones and a larger font, so they read alike.
struct MeasureStyle {
  int lineWidth = 1;
  int barHeight = 5;
  int margin = 8;        // of the scale bar from the edges
  int shadow = 1;        // of the texts
  HFONT font = nullptr;  // not owned; null: the DC's own
};
// The style for a saved picture of that size; the font is the caller's to make,
// SavedPictureFontHeight(height) pixels tall.
MeasureStyle StyleForSavedPicture(int width, int height);
int SavedPictureFontHeight(int height);

// The grid's spacing in sensor pixels: one scale-bar length, so the bar's label tells it;
// nullopt when no bar fits.
std::optional<double> GridSpacing(const ScaleBar& bar, std::optional<double> micronsPerPixel);

// Under the caption and the live-information views: grid, crosshair and the measured lines.
void DrawMeasureMarks(HDC dc, const ViewPlacement& view, const MeasureOverlays& overlays, const MeasureStyle& style,
                      std::vector<RECT>& drawn);
// Over them: the scale bar in the bottom-right corner above `floor` (the view's bottom, or the
// top of the information line), with the grid's spacing when the grid shows, and the time
// stamp in the bottom-left corner.
void DrawScaleBar(HDC dc, const ViewPlacement& view, const MeasureOverlays& overlays, const MeasureStyle& style,
                  int floor, std::vector<RECT>& drawn);

}  // namespace display
