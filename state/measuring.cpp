#include "state/measuring.h"

#include "state/stored_switch.h"

namespace {

// Values of their own under the program's key.
const wchar_t* ValueName(MeasureSwitch which) {
  switch (which) {
    case MeasureSwitch::ScaleBar: return L"OverlayScaleBar";
    case MeasureSwitch::Crosshair: return L"OverlayCrosshair";
    case MeasureSwitch::Grid: return L"OverlayGrid";
    case MeasureSwitch::MeasuringTool: return L"OverlayMeasuringTool";
    case MeasureSwitch::BurnIn: return L"BurnIn";
  }
  return L"";
}

template <class M>  // Measuring, const or not
auto& Flag(M& m, MeasureSwitch which) {
  switch (which) {
    case MeasureSwitch::ScaleBar: return m.scaleBar;
    case MeasureSwitch::Crosshair: return m.crosshair;
    case MeasureSwitch::Grid: return m.grid;
    case MeasureSwitch::MeasuringTool: return m.measuringTool;
    case MeasureSwitch::BurnIn: break;
  }
  return m.burnIn;
}

constexpr MeasureSwitch kAllSwitches[] = {MeasureSwitch::ScaleBar, MeasureSwitch::Crosshair, MeasureSwitch::Grid,
                                          MeasureSwitch::MeasuringTool, MeasureSwitch::BurnIn};

}  // namespace

void Measurements::Begin(PointD sensor) {
  std::lock_guard lock(mutex_);
  drawing_ = SensorLine{sensor, sensor};
  ++generation_;
}

void Measurements::Extend(PointD sensor) {
  std::lock_guard lock(mutex_);
  if (!drawing_ || drawing_->to == sensor) return;
  drawing_->to = sensor;
  ++generation_;
}

void Measurements::Finish(bool keep) {
  std::lock_guard lock(mutex_);
  if (!drawing_) return;
  if (keep) {
    if (lines_.size() >= kMaxLines) lines_.erase(lines_.begin());
    lines_.push_back(*drawing_);
  }
  drawing_.reset();
  ++generation_;
}

bool Measurements::Drawing() const {
  std::lock_guard lock(mutex_);
  return drawing_.has_value();
}

bool Measurements::Clear() {
  std::lock_guard lock(mutex_);
  if (lines_.empty() && !drawing_) return false;
  lines_.clear();
  drawing_.reset();
  ++generation_;
  return true;
}

bool Measurements::Empty() const {
  std::lock_guard lock(mutex_);
  return lines_.empty() && !drawing_;
}

std::vector<SensorLine> Measurements::Lines() const {
  std::lock_guard lock(mutex_);
  std::vector<SensorLine> lines = lines_;
  if (drawing_) lines.push_back(*drawing_);
  return lines;
}

std::optional<SensorLine> Measurements::Last() const {
  std::lock_guard lock(mutex_);
  if (lines_.empty()) return std::nullopt;
  return lines_.back();
}

CalibrationSet CalibrationBook::Get() const {
  std::lock_guard lock(mutex_);
  return set_;
}

void CalibrationBook::Set(CalibrationSet set) {
  std::lock_guard lock(mutex_);
  set_ = std::move(set);
  ++generation_;
}

std::optional<Calibration> CalibrationBook::InUse() const {
  std::lock_guard lock(mutex_);
  if (const Calibration* c = set_.InUse()) return *c;
  return std::nullopt;
}

bool IsMeasureSwitchOn(const Measuring& measuring, MeasureSwitch which) { return Flag(measuring, which).load(); }

bool ToggleMeasureSwitch(Measuring& measuring, MeasureSwitch which) {
  const bool on = !Flag(measuring, which).load();
  Flag(measuring, which).store(on);
  StoreSwitch(ValueName(which), on);
  return on;
}

void LoadMeasureSwitches(Measuring& measuring) {
  for (const MeasureSwitch which : kAllSwitches) Flag(measuring, which).store(LoadSwitch(ValueName(which)));
}
