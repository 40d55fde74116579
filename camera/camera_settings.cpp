// Writing a settings record to the camera, and one-push white balance.
#include "camera/camera.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "camera/registry_store.h"
#include "camera/setting_writer.h"
#include "imaging/frame_corrector.h"
#include "resources/resource_ids.h"

using namespace camera_detail;

void CCamera::WriteProperties(const PropertyRecord& record, bool force) {
  if (!device_) return;
  PropertyRecord r = record;
  const PropertyRecord p = current_;
  SettingWriter w(*device_);
  // Doubles compare exactly; NaN compares unequal, so it counts as changed.
  const auto changed = [force](auto a, auto b) { return force || a != b; };
  const auto writeInt = [&](const char* list, const char* name, std::int32_t& field, std::int32_t previous) {
    if (!w.Write(list, name, static_cast<int>(field))) field = w.ReadInt(list, name, previous);
  };
  const auto writeDouble = [&](const char* list, const char* name, double& field, double previous) {
    if (!w.Write(list, name, field)) field = w.ReadDouble(list, name, previous);
  };
  const auto controllerSettings = [&] {
    w.Write(kAutoList, "ControllerSpeed", 2);
    w.Write(kAutoList, "ControllerDelay_Images", 1);
    w.Write(kAutoList, "DesiredAverageGreyValue", 128);
    w.Write(kAutoList, "AoiMode", 0);
  };

  if (changed(r.resolutionIndex, p.resolutionIndex)) ChangeResolution(r, p, w);

  if (changed(r.exposureLowerLimit, p.exposureLowerLimit))
    writeInt(kAutoList, "ExposeLowerLimit_us", r.exposureLowerLimit, p.exposureLowerLimit);
  if (changed(r.exposureUpperLimit, p.exposureUpperLimit))
    writeInt(kAutoList, "ExposeUpperLimit_us", r.exposureUpperLimit, p.exposureUpperLimit);
  if (changed(r.autoExposure, p.autoExposure)) {
    controllerSettings();
    writeInt(kCameraList, "AutoExposeControl", r.autoExposure, p.autoExposure);
  }
  if (changed(r.exposureTime, p.exposureTime) || r.autoExposure == 0)
    writeInt(kCameraList, "Expose_us", r.exposureTime, p.exposureTime);

  if (changed(r.gainLowerLimit, p.gainLowerLimit))
    writeDouble(kAutoList, "GainLowerLimit_dB", r.gainLowerLimit, p.gainLowerLimit);
  if (changed(r.gainUpperLimit, p.gainUpperLimit))
    writeDouble(kAutoList, "GainUpperLimit_dB", r.gainUpperLimit, p.gainUpperLimit);
  if (changed(r.autoGain, p.autoGain)) {
    controllerSettings();
    writeInt(kCameraList, "AutoGainControl", r.autoGain, p.autoGain);
  }
  if (changed(r.gain, p.gain) || r.autoGain == 0) writeDouble(kCameraList, "Gain_dB", r.gain, p.gain);

  if (changed(r.totalGain, p.totalGain)) writeDouble(kWhiteBalanceList, "TotalGain", r.totalGain, p.totalGain);
  if (changed(r.redGain, p.redGain)) writeDouble(kWhiteBalanceList, "RedGain", r.redGain, p.redGain);
  if (changed(r.greenGain, p.greenGain)) writeDouble(kWhiteBalanceList, "GreenGain", r.greenGain, p.greenGain);
  if (changed(r.blueGain, p.blueGain)) writeDouble(kWhiteBalanceList, "BlueGain", r.blueGain, p.blueGain);

  if (changed(r.mono, p.mono) &&
      !w.Write(kProcessingList, "ColorProcessing", r.mono != 0 ? kColourProcessingMono : kColourProcessingColour)) {
    r.mono =
        w.ReadInt(kProcessingList, "ColorProcessing", p.mono != 0 ? kColourProcessingMono : 0) == kColourProcessingMono
            ? 1
            : 0;
  }

  const auto writeMirror = [&] {
    const bool modeTaken = w.Write(kMirrorList, "MirrorOperationMode", 0);
    const int wanted = 1 * r.flipVertical + 2 * r.flipHorizontal;
    if (!w.Write(kMirrorList, "MirrorModeGlobal", wanted) || !modeTaken) {
      const int has = w.ReadInt(kMirrorList, "MirrorModeGlobal", 1 * p.flipVertical + 2 * p.flipHorizontal);
      r.flipVertical = has & 1;
      r.flipHorizontal = (has >> 1) & 1;
    }
  };
  if (changed(r.flipVertical, p.flipVertical)) writeMirror();
  if (changed(r.flipHorizontal, p.flipHorizontal)) writeMirror();

  if (changed(r.gainOffset, p.gainOffset)) {
    w.Write(kKneeList, "GainOffsetKneeEnable", 1);
    writeDouble(kKneeList, "GainOffsetKneeMasterOffset_pc", r.gainOffset, p.gainOffset);
  }

  current_ = r;
  SaveRecord();
  PublishPlacement();
  if (corrector_) {
    corrector_->SetMirroring({current_.flipHorizontal != 0, current_.flipVertical != 0});
    // The averaging starts again, so the new settings show at once.
    corrector_->Restart();
  }
  ReportRefusals(w);
}

void CCamera::PublishPlacement() noexcept {
  const AreaOfInterest aoi = CentredAoi(Width(), Height());
  state_.live.aoiX = aoi.x;
  state_.live.aoiY = aoi.y;
  state_.live.flipHorizontal = current_.flipHorizontal != 0;
  state_.live.flipVertical = current_.flipVertical != 0;
  state_.live.exposureUs = current_.exposureTime;
  state_.live.gainDb = current_.gain;
}

void CCamera::ChangeResolution(PropertyRecord& r, const PropertyRecord& previous, SettingWriter& w) {
  const bool wasRunning = capture_.IsAcquiring();
  if (wasRunning) capture_.StopAcquisition();
  int width = Width(), height = Height();
  if (r.resolutionIndex >= 0 && r.resolutionIndex < kResolutionCount) {
    width = kResolutions[r.resolutionIndex].width;
    height = kResolutions[r.resolutionIndex].height;
  } else {
    // Not a resolution of the camera: it keeps the one it has, and so does the record.
    const int index = ResolutionIndexOf(width, height);
    r.resolutionIndex = index >= 0 ? index : previous.resolutionIndex;
  }
  const AreaOfInterest aoi = CentredAoi(width, height);
  // Half a new area of interest can lie off the sensor, and then no frame comes back good.
  if (!w.WriteAllOrNothing(kAoiList, {{"X", aoi.x}, {"Y", aoi.y}, {"W", aoi.width}, {"H", aoi.height}})) {
    // The buffers and the record follow what the camera really delivers.
    width = w.ReadInt(kAoiList, "W", Width());
    height = w.ReadInt(kAoiList, "H", Height());
    const int index = ResolutionIndexOf(width, height);
    r.resolutionIndex = index >= 0 ? index : previous.resolutionIndex;
    w.Note(L"The previous area of interest is put back: the picture stays at " + Format(width) + L" \u00D7 " +
           Format(height) + L".");
  }
  size_ = FrameSize{width, height};
  capture_.Resize(width, height);
  FitFrameBuffer();
  if (wasRunning) capture_.StartAcquisition(*device_);
}

void CCamera::OnePushWhiteBalance(PropertyRecord* record) {
  std::lock_guard session(sessionLock_);
  if (!device_ || link_ != LinkState::Connected) return;
  SettingWriter w(*device_);
  if (!w.Write(kProcessingList, "WhiteBalanceCalibration", 1)) {
    ReportRefusals(w);
    return;
  }
  if (!capture_.WaitForFreshFrames(kOnePushFrames)) return;
  if (record == nullptr) return;
  record->redGain = w.ReadDouble(kWhiteBalanceList, "RedGain", record->redGain);
  record->greenGain = w.ReadDouble(kWhiteBalanceList, "GreenGain", record->greenGain);
  record->blueGain = w.ReadDouble(kWhiteBalanceList, "BlueGain", record->blueGain);
  current_ = *record;
  SaveRecord();
  if (corrector_) corrector_->Restart();
}
