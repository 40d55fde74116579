#pragma once
// Points and lines in continuous pixel units: x to the right, y downward, pixel (c, r)
// covering [c, c + 1) x [r, r + 1). Measurements keep their ends on the sensor in these units,
// so they stay where they were drawn whatever the zoom, pan, resolution or mirroring.

struct PointD {
  double x = 0;
  double y = 0;
  friend bool operator==(const PointD&, const PointD&) = default;
};

struct SensorLine {
  PointD from;
  PointD to;
  friend bool operator==(const SensorLine&, const SensorLine&) = default;
};
