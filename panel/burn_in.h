#pragma once
// Burning the measuring overlays into saved pictures, when the user chose so: the scale bar,
// the measured lines and the time the picture was taken, drawn into the frame copy before it
// is encoded, sized for the saved picture rather than for the view. With the choice off the
// frame is written as it is.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "display/measure_overlays.h"
#include "display/picture_point.h"
#include "state/app_state.h"

struct BurnIn {
  display::MeasureOverlays overlays;  // the scale bar, the lines and the time stamp
  display::SensorPlacement placement;
};

// "2026-12-08 14:03:22": local time, to the second.
std::wstring FormatTimeStamp(const SYSTEMTIME& time);

// What a picture copied now carries, or nothing while the choice is off. Safe from any thread.
std::optional<BurnIn> CurrentBurnIn(const AppState& state);

// Draws `burnIn` into a frame block (its header, then its 24-bit top-down rows, as
// FrameExchange::CopyBlock makes it). Returns why it could not, or nothing.
std::wstring BurnIntoFrame(std::vector<std::uint8_t>& frame, const BurnIn& burnIn);
