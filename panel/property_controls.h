#pragma once
// The property dialog's controls as data: which record field each control shows, its range
// and edit text, which controls the auto flags enable, and the checks on the four limit
// edits. Pure functions, so the dialog only moves values between these and the windows.
#include <array>
#include <cstdint>
#include <string>

#include "camera/property_record.h"
#include "resources/resource_ids.h"

// The resolution radios in resolution-index order (the template orders them otherwise).
inline constexpr std::array<int, kResolutionCount> kResolutionRadioIds = {
    IDC_RES_2592x1944, IDC_RES_2320x1744, IDC_RES_2048x1536, IDC_RES_1920x1080, IDC_RES_1600x1200,
    IDC_RES_1408x1048, IDC_RES_1280x1024, IDC_RES_1280x960,  IDC_RES_1024x768,  IDC_RES_640x480};
// The resolution index a radio selects, or -1 for any other control.
int ResolutionIndexOfRadio(int controlId) noexcept;

// A check box and the 0/1 record field it shows.
struct CheckBoxControl {
  int id;
  std::int32_t PropertyRecord::*field;
};
const std::array<CheckBoxControl, 5>& PropertyCheckBoxes();
const CheckBoxControl* FindCheckBox(int id) noexcept;

// A slider and the read-only edit beside it that shows its value.
struct SliderControl {
  int sliderId;
  int editId;
  int minPosition;
  int maxPosition;
};
const std::array<SliderControl, 7>& PropertySliders();
const SliderControl* FindSlider(int sliderId) noexcept;
// The position that shows the record's value: rounded, not truncated, so that a value set
// from a position maps back to that very position (0.29 * 100 is 28.999...).
int SliderPositionOf(const PropertyRecord& record, int sliderId) noexcept;
// Sets the field the slider drives from a position; does nothing for other ids.
void SetFromSliderPosition(PropertyRecord& record, int sliderId, int position) noexcept;
// The text of the slider's edit for the record's value ("%d", "%.3f" or "%.2f").
std::wstring SliderValueText(const PropertyRecord& record, int sliderId);

// A limit edit with its up-down. The number shown is microseconds for the exposure limits
// and thousandths of a dB for the gain limits; [minValue, maxValue] is the up-down's range
// and step one up-down click (a whole dB for the gain limits, which the record keeps in
// whole dB: a step of one thousandth would move nothing).
struct LimitControl {
  int editId;
  int spinId;
  int minValue;
  int maxValue;
  int step;
};
const std::array<LimitControl, 4>& PropertyLimits();
const LimitControl* FindLimitByEdit(int editId) noexcept;
const LimitControl* FindLimitBySpin(int spinId) noexcept;
// The number the edit shows for the record's limit.
int LimitValueOf(const PropertyRecord& record, int editId) noexcept;

enum class LimitCheck { Unchanged, Accepted, Rejected };
// Checks a number typed into a limit edit against the record: accepted within the up-down's
// range and on the right side of the other limit of the pair. An accepted one is stored in
// the record (the gain limits in whole dB, the remainder dropped).
LimitCheck CheckLimit(PropertyRecord& record, int editId, long long value) noexcept;

// An edit's text read as a decimal integer, as far as it goes; text that does not start
// with a number gives 0.
long long ParseEditNumber(const std::wstring& text) noexcept;

// Whether a control is usable for the record: the limits while their auto flag is on, the
// value slider and its edit while it is off; every other control always.
bool IsControlEnabled(const PropertyRecord& record, int controlId) noexcept;
// The controls whose enabling depends on the auto flags.
const std::array<int, 12>& AutoDependentControls();
