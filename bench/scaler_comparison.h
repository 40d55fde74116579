#pragma once
// The old picture path (a back buffer per frame, one StretchDIBits in HALFTONE or
// COLORONCOLOR) against the picture scaler (into a 32-bit DIB section kept across frames),
// both presented to a window, at 10 to 200 % in the video window's and a full screen's size,
// with the PSNR of each against the exact area average.
#include "state/frame_block.h"

namespace bench {

// Times are taken on `timed`; PSNR is given for `timed` and for `detailed` (a picture of
// fine detail, where resampling errors show most).
void PrintScalerComparison(const FrameBlock& timed, const FrameBlock& detailed);

}  // namespace bench
