#pragma once
// Tells the user when the picture has gone black while frames keep coming, and names the
// setting that most likely made it so. The panel looks once a second; the decision is a pure
// function of the time, the picture's mean brightness and the camera's record.
#include <functional>
#include <optional>
#include <string>

#include "camera/property_record.h"
#include "display/bgr_picture.h"

// The mean luminance (0 to 255) of one pixel in every 16 x 16 square: under 0.1 ms for a
// whole 2592 x 1944 frame (stats_bench). 0 for an empty picture.
double MeanBrightness(const display::BgrPicture& picture) noexcept;

// "The picture is black: ..." with the setting of `record` that darkens the picture most.
std::wstring BlackPictureText(const PropertyRecord& record);

class BlackPictureWatch {
 public:
  // A picture darker than this on average is black.
  static constexpr double kBlackBelow = 4.0;
  // How long it must stay black before the user is told.
  static constexpr double kTellAfterSeconds = 3.0;

  struct Outcome {
    std::optional<std::wstring> tell;  // show this on the status line, once
    bool back = false;                 // the picture the user was told about is back
  };
  // One look at `seconds` (any steady clock): the mean brightness of the newest frame while
  // frames arrive and the camera plays, nothing otherwise. `record` is asked for the camera's
  // settings only when the watch speaks.
  Outcome Look(double seconds, std::optional<double> meanBrightness, const std::function<PropertyRecord()>& record);

 private:
  std::optional<double> blackSince_;
  bool told_ = false;
};
