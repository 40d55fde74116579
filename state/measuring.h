#pragma once
// Measuring what the camera sees: which measuring overlays are on (kept per user), the lines
// measured on the sensor, and the calibrations with the one in use. The picture views switch
// and draw the lines on the user-interface thread, the render thread draws them, the snapshot
// worker burns them into saved pictures: the lines and the calibrations sit behind a lock,
// and each has a generation that changes with every change, so the render thread can tell
// cheaply whether to draw again.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "state/calibration.h"
#include "state/sensor_line.h"

enum class MeasureSwitch { ScaleBar, Crosshair, Grid, MeasuringTool, BurnIn };

class Measurements {
 public:
  // The oldest line goes when one more is drawn: enough to compare a few features, and the
  // render thread's time per frame stays bounded.
  static constexpr std::size_t kMaxLines = 32;

  // A drag: the line being drawn starts at `sensor`, follows the pointer, and is kept or
  // dropped at the release.
  void Begin(PointD sensor);
  void Extend(PointD sensor);
  void Finish(bool keep);
  bool Drawing() const;
  // Removes every line, the one being drawn too; false when there was none.
  bool Clear();
  bool Empty() const;
  // The kept lines, oldest first, then the one being drawn.
  std::vector<SensorLine> Lines() const;
  // The newest kept line.
  std::optional<SensorLine> Last() const;
  std::uint64_t Generation() const noexcept { return generation_.load(); }

 private:
  mutable std::mutex mutex_;  // guards the two below
  std::vector<SensorLine> lines_;
  std::optional<SensorLine> drawing_;
  std::atomic<std::uint64_t> generation_{0};
};

class CalibrationBook {
 public:
  CalibrationSet Get() const;
  void Set(CalibrationSet set);
  // The one in use, copied.
  std::optional<Calibration> InUse() const;
  std::uint64_t Generation() const noexcept { return generation_.load(); }

 private:
  mutable std::mutex mutex_;  // guards set_
  CalibrationSet set_;
  std::atomic<std::uint64_t> generation_{0};
};

struct Measuring {
  std::atomic<bool> scaleBar{false};
  std::atomic<bool> crosshair{false};
  std::atomic<bool> grid{false};
  std::atomic<bool> measuringTool{false};
  std::atomic<bool> burnIn{false};  // snapshots and series carry the scale bar, the lines and the time
  Measurements measurements;
  CalibrationBook calibrations;
};

// Switches one choice and stores it; returns whether it is now on.
bool ToggleMeasureSwitch(Measuring& measuring, MeasureSwitch which);
bool IsMeasureSwitchOn(const Measuring& measuring, MeasureSwitch which);
// The stored choices of the current user (all off when nothing is stored).
void LoadMeasureSwitches(Measuring& measuring);
