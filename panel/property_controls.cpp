#include "panel/property_controls.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cwchar>
#include <cwctype>

namespace {

constexpr int kGainOffsetZero = 10000;  // slider position of 0 %
// The white-balance sliders show thousandths: one position is the record's smallest step.
static_assert(kWhiteBalanceStep * 1000.0 == 1.0);
constexpr int Thousandths(double value) { return static_cast<int>(value * 1000); }

int RoundToInt(double v) noexcept {
  if (!(v == v)) return 0;  // not a number
  return static_cast<int>(std::lround(std::clamp(v, double{INT_MIN}, double{INT_MAX})));
}

std::wstring Format(const wchar_t* format, double value) {
  wchar_t text[64];
  std::swprintf(text, 64, format, value);
  return text;
}

std::wstring Format(int value) { return std::to_wstring(value); }

}  // namespace

int ResolutionIndexOfRadio(int controlId) noexcept {
  const auto it = std::find(kResolutionRadioIds.begin(), kResolutionRadioIds.end(), controlId);
  return it == kResolutionRadioIds.end() ? -1 : static_cast<int>(it - kResolutionRadioIds.begin());
}

const std::array<CheckBoxControl, 5>& PropertyCheckBoxes() {
  static constexpr std::array<CheckBoxControl, 5> boxes = {{
      {IDC_AUTO_EXPOSURE, &PropertyRecord::autoExposure},
      {IDC_AUTO_GAIN, &PropertyRecord::autoGain},
      {IDC_MONO_COLOR, &PropertyRecord::mono},
      {IDC_FLIP_VERTICAL, &PropertyRecord::flipVertical},
      {IDC_FLIP_HORIZONTAL, &PropertyRecord::flipHorizontal},
  }};
  return boxes;
}

const CheckBoxControl* FindCheckBox(int id) noexcept {
  for (const CheckBoxControl& box : PropertyCheckBoxes()) {
    if (box.id == id) return &box;
  }
  return nullptr;
}

namespace {

// A slider over a record range: positions are the value x `scale`, shifted by `zero`.
constexpr SliderControl Slider(int sliderId, int editId, ValueRange<double> range, double scale, int zero = 0) {
  return {sliderId, editId, static_cast<int>(range.min * scale) + zero, static_cast<int>(range.max * scale) + zero};
}

}  // namespace

const std::array<SliderControl, 7>& PropertySliders() {
  // The sliders reach exactly the values a stored record keeps.
  static constexpr std::array<SliderControl, 7> sliders = {{
      {IDC_EXPOSURE_SLIDER, IDC_EXPOSURE_VALUE, kExposureTimeRange.min, kExposureTimeRange.max},
      Slider(IDC_GAIN_SLIDER, IDC_GAIN_VALUE, kGainRange, 1000.0),
      Slider(IDC_TOTAL_GAIN_SLIDER, IDC_TOTAL_GAIN_VALUE, kTotalGainRange, 1000.0),
      Slider(IDC_RED_GAIN_SLIDER, IDC_RED_GAIN_VALUE, kColourGainRange, 1000.0),
      Slider(IDC_GREEN_GAIN_SLIDER, IDC_GREEN_GAIN_VALUE, kColourGainRange, 1000.0),
      Slider(IDC_BLUE_GAIN_SLIDER, IDC_BLUE_GAIN_VALUE, kColourGainRange, 1000.0),
      Slider(IDC_GAIN_OFFSET_SLIDER, IDC_GAIN_OFFSET_VALUE, kGainOffsetRange, 100.0, kGainOffsetZero),
  }};
  return sliders;
}

const SliderControl* FindSlider(int sliderId) noexcept {
  for (const SliderControl& slider : PropertySliders()) {
    if (slider.sliderId == sliderId) return &slider;
  }
  return nullptr;
}

namespace {

// The gain (dB) and the white-balance factors: value x 1000 on the slider.
double PropertyRecord::*ThousandthsField(int sliderId) noexcept {
  switch (sliderId) {
    case IDC_GAIN_SLIDER: return &PropertyRecord::gain;
    case IDC_TOTAL_GAIN_SLIDER: return &PropertyRecord::totalGain;
    case IDC_RED_GAIN_SLIDER: return &PropertyRecord::redGain;
    case IDC_GREEN_GAIN_SLIDER: return &PropertyRecord::greenGain;
    case IDC_BLUE_GAIN_SLIDER: return &PropertyRecord::blueGain;
    default: return nullptr;
  }
}

}  // namespace

int SliderPositionOf(const PropertyRecord& record, int sliderId) noexcept {
  if (sliderId == IDC_EXPOSURE_SLIDER) return record.exposureTime;
  if (sliderId == IDC_GAIN_OFFSET_SLIDER) return RoundToInt(record.gainOffset * 100.0) + kGainOffsetZero;
  if (const auto field = ThousandthsField(sliderId)) return RoundToInt(record.*field * 1000.0);
  return 0;
}

void SetFromSliderPosition(PropertyRecord& record, int sliderId, int position) noexcept {
  if (sliderId == IDC_EXPOSURE_SLIDER) {
    record.exposureTime = position;
  } else if (sliderId == IDC_GAIN_OFFSET_SLIDER) {
    record.gainOffset = (position - kGainOffsetZero) * 0.01;
  } else if (const auto field = ThousandthsField(sliderId)) {
    record.*field = position * 0.001;
  }
}

std::wstring SliderValueText(const PropertyRecord& record, int sliderId) {
  switch (sliderId) {
    case IDC_EXPOSURE_SLIDER: return Format(record.exposureTime);
    case IDC_GAIN_SLIDER: return Format(RoundToInt(record.gain * 1000.0));
    case IDC_TOTAL_GAIN_SLIDER: return Format(L"%.3f", record.totalGain);
    case IDC_RED_GAIN_SLIDER: return Format(L"%.3f", record.redGain);
    case IDC_GREEN_GAIN_SLIDER: return Format(L"%.3f", record.greenGain);
    case IDC_BLUE_GAIN_SLIDER: return Format(L"%.3f", record.blueGain);
    case IDC_GAIN_OFFSET_SLIDER: return Format(L"%.2f", record.gainOffset);
    default: return {};
  }
}

const std::array<LimitControl, 4>& PropertyLimits() {
  static constexpr std::array<LimitControl, 4> limits = {{
      // The dialog offers no exposure limit below the shortest exposure it sets.
      {IDC_EXPOSURE_MIN, IDC_EXPOSURE_MIN_SPIN, kExposureTimeRange.min, kExposureTimeRange.max, 1},
      {IDC_EXPOSURE_MAX, IDC_EXPOSURE_MAX_SPIN, kExposureTimeRange.min, kExposureTimeRange.max, 1},
      {IDC_GAIN_MIN, IDC_GAIN_MIN_SPIN, Thousandths(kGainRange.min), Thousandths(kGainRange.max), 1000},
      {IDC_GAIN_MAX, IDC_GAIN_MAX_SPIN, Thousandths(kGainRange.min), Thousandths(kGainRange.max), 1000},
  }};
  return limits;
}

const LimitControl* FindLimitByEdit(int editId) noexcept {
  for (const LimitControl& limit : PropertyLimits()) {
    if (limit.editId == editId) return &limit;
  }
  return nullptr;
}

const LimitControl* FindLimitBySpin(int spinId) noexcept {
  for (const LimitControl& limit : PropertyLimits()) {
    if (limit.spinId == spinId) return &limit;
  }
  return nullptr;
}

int LimitValueOf(const PropertyRecord& record, int editId) noexcept {
  switch (editId) {
    case IDC_EXPOSURE_MIN: return record.exposureLowerLimit;
    case IDC_EXPOSURE_MAX: return record.exposureUpperLimit;
    case IDC_GAIN_MIN: return RoundToInt(record.gainLowerLimit * 1000.0);
    case IDC_GAIN_MAX: return RoundToInt(record.gainUpperLimit * 1000.0);
    default: return 0;
  }
}

LimitCheck CheckLimit(PropertyRecord& record, int editId, long long value) noexcept {
  const LimitControl* limit = FindLimitByEdit(editId);
  if (limit == nullptr) return LimitCheck::Rejected;
  if (value == LimitValueOf(record, editId)) return LimitCheck::Unchanged;
  if (value < limit->minValue || value > limit->maxValue) return LimitCheck::Rejected;
  const int v = static_cast<int>(value);
  switch (editId) {
    case IDC_EXPOSURE_MIN:
      if (v > record.exposureUpperLimit) return LimitCheck::Rejected;
      record.exposureLowerLimit = v;
      break;
    case IDC_EXPOSURE_MAX:
      if (v < record.exposureLowerLimit) return LimitCheck::Rejected;
      record.exposureUpperLimit = v;
      break;
    case IDC_GAIN_MIN:
      if (v > LimitValueOf(record, IDC_GAIN_MAX)) return LimitCheck::Rejected;
      record.gainLowerLimit = v / 1000;
      break;
    case IDC_GAIN_MAX:
      // As kept, in whole dB: a lower limit with a fraction (from a settings file) may lie
      // between the typed value and its whole part.
      if (v / 1000 * 1000 < LimitValueOf(record, IDC_GAIN_MIN)) return LimitCheck::Rejected;
      record.gainUpperLimit = v / 1000;
      break;
    default: return LimitCheck::Rejected;
  }
  return LimitCheck::Accepted;
}

long long ParseEditNumber(const std::wstring& text) noexcept {
  const wchar_t* p = text.c_str();
  while (std::iswspace(*p)) ++p;
  bool negative = false;
  if (*p == L'+' || *p == L'-') negative = *p++ == L'-';
  long long value = 0;
  for (; *p >= L'0' && *p <= L'9'; ++p) {
    // Far beyond every range: keep it there instead of overflowing.
    value = std::min(value * 10 + (*p - L'0'), 1'000'000'000'000LL);
  }
  return negative ? -value : value;
}

bool IsControlEnabled(const PropertyRecord& record, int controlId) noexcept {
  switch (controlId) {
    case IDC_EXPOSURE_MIN:
    case IDC_EXPOSURE_MIN_SPIN:
    case IDC_EXPOSURE_MAX:
    case IDC_EXPOSURE_MAX_SPIN: return record.autoExposure != 0;
    case IDC_EXPOSURE_SLIDER:
    case IDC_EXPOSURE_VALUE: return record.autoExposure == 0;
    case IDC_GAIN_MIN:
    case IDC_GAIN_MIN_SPIN:
    case IDC_GAIN_MAX:
    case IDC_GAIN_MAX_SPIN: return record.autoGain != 0;
    case IDC_GAIN_SLIDER:
    case IDC_GAIN_VALUE: return record.autoGain == 0;
    default: return true;
  }
}

const std::array<int, 12>& AutoDependentControls() {
  static constexpr std::array<int, 12> ids = {IDC_EXPOSURE_MIN,      IDC_EXPOSURE_MIN_SPIN, IDC_EXPOSURE_MAX,
                                              IDC_EXPOSURE_MAX_SPIN, IDC_EXPOSURE_SLIDER,   IDC_EXPOSURE_VALUE,
                                              IDC_GAIN_MIN,          IDC_GAIN_MIN_SPIN,     IDC_GAIN_MAX,
                                              IDC_GAIN_MAX_SPIN,     IDC_GAIN_SLIDER,       IDC_GAIN_VALUE};
  return ids;
}
