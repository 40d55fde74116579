#include "display/live_statistics.h"

#include "display/picture_point.h"
#include "display/statistics_text.h"

namespace display {
namespace {

BgrPicture PictureOf(const FrameBlock& block) {
  return {block.Pixels(), block.Width(), block.Height(), block.Stride()};
}

}  // namespace

void LiveStatistics::MeasureFrame(const FrameBlock& block, const RenderGeometry& g) {
  const LiveInfo& live = state_.live;
  const bool histogramOn = live.showHistogram.load();
  const bool focusOn = live.showFocus.load();
  if (live.focusSession.load() != focusSession_) {
    focusSession_ = live.focusSession.load();
    focus_.Reset();
  }
  const BgrPicture picture = PictureOf(block);
  if (histogramOn) histogram_ = ComputeHistogram(picture);
  if (focusOn) {
    // The visible part: what the user is focusing on.
    focus_.Add(ComputeFocusMeasure(picture, VisiblePictureRect(g, picture.width, picture.height)), picture.width,
               picture.height);
    focusMeasured_ = true;
  }
}

LiveOverlays LiveStatistics::Prepare(const FrameExchange::Lease& frame, int viewWidth, int viewHeight, double scale,
                                     PanOffset pan, std::optional<POINT> pointer) {
  LiveOverlays overlays;
  const LiveInfo& live = state_.live;
  const bool infoOn = live.showInfoLine.load();
  const bool histogramOn = live.showHistogram.load();
  const bool focusOn = live.showFocus.load();
  if (!infoOn && !histogramOn && !focusOn) return overlays;

  const FrameBlock& block = frame.Block();
  const RenderGeometry g =
      ComputeRenderGeometry(block.Width(), block.Height(), viewWidth, viewHeight, scale, pan.x, pan.y);
  // Once per new frame; a zoom or pan of the same frame measures the focus of the new view.
  const std::uint64_t frameNumber = frame.Stamp().number;
  const bool newFrame = frameNumber != measuredFrame_ || frame.Generation() != measuredGeneration_;
  const bool newView = !(g == measuredGeometry_);
  if (newFrame || newView || (histogramOn && !histogram_) || (focusOn && !focusMeasured_) ||
      live.focusSession.load() != focusSession_) {
    MeasureFrame(block, g);
    measuredFrame_ = frameNumber;
    measuredGeneration_ = frame.Generation();
    measuredGeometry_ = g;
  }
  if (!histogramOn) histogram_.reset();
  if (!focusOn) focusMeasured_ = false;

  if (histogramOn && histogram_)
    overlays.histogram = LayoutHistogramPanel(*histogram_, HistogramFloor(viewHeight, infoOn));
  if (focusOn) overlays.focus = FocusReadout{FormatFocus(focus_.Value(), focus_.Peak()), focus_.BarFraction()};
  if (infoOn) {
    InfoLineValues values;
    values.rates = live.meter.Read(FrameRateMeter::Clock::now());
    values.width = block.Width();
    values.height = block.Height();
    values.exposureUs = live.exposureUs.load();
    values.gainDb = live.gainDb.load();
    values.reconnects = state_.reconnects.load();
    values.calibration = state_.measuring.calibrations.InUse();
    if (pointer) {
      if (const auto pixel = ViewToPicture(g, viewWidth, viewHeight, block.Width(), block.Height(), *pointer)) {
        const std::optional<PixelColour> colour = ColourAt(PictureOf(block), *pixel);
        if (colour) {
          const POINT sensor = PictureToSensor(*pixel, block.Width(), block.Height(), SensorPlacementOf(live));
          values.pointer = PointerProbe{sensor, *colour};
        }
      }
    }
    overlays.infoLine = FormatInfoLine(values);
  }
  return overlays;
}

}  // namespace display
