#include "imaging/frame_corrector.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <utility>

#include "framework/registry_value.h"
#include "imaging/correction_arithmetic.h"
#include "imaging/picture_measures.h"

namespace q7::imaging {
namespace {

// What a dark frame and a flat field must be like to be taken. A dark frame brighter than an
// eighth of the range, or with light somewhere (more than 1 % of its values above the middle),
// is a lens that is not capped; a flat field with more than 0.1 % of its pixels clipped has
// lost what it should measure, and one below a fifth of the range would have its gains made
// of noise.
constexpr double kDarkMostMean = 32.0;
constexpr double kDarkMostBrightShare = 0.01;
constexpr double kFlatMostClippedShare = 0.001;
constexpr double kFlatLeastMean = 48.0;

constexpr wchar_t kAveragingValue[] = L"Averaging";
constexpr wchar_t kCorrectionOnValue[] = L"CorrectionOn";

std::wstring Capitalised(const wchar_t* text) {
  std::wstring s = text;
  if (!s.empty()) s[0] = static_cast<wchar_t>(::towupper(s[0]));
  return s;
}

template <typename... Args>
std::wstring Format(const wchar_t* format, Args... args) {
  wchar_t text[512];
  const int n = std::swprintf(text, std::size(text), format, args...);
  return n > 0 ? std::wstring(text, static_cast<std::size_t>(n)) : std::wstring();
}

std::wstring Size(int width, int height) { return Format(L"%d x %d", width, height); }

// A correction's values (as the sensor sees them) turned as the picture is: in `copy` when
// mirrored, so the sensor's own stay as they are, shared; the sensor's own otherwise.
template <typename Value>
const Value* Turned(const std::vector<Value>& sensor, std::vector<Value>& copy, int width, int height,
                    Mirroring mirroring) {
  if (!mirroring.Any()) return sensor.data();
  copy = sensor;
  MirrorPicture(copy.data(), width, height, mirroring);
  return copy.data();
}

// The stored dark frame or flat field for a picture, if there is a usable one; a refused file
// adds its message to `refusals`.
std::shared_ptr<const CorrectionPicture> ReadStored(const std::wstring& folder, CorrectionKind kind, int width,
                                                    int height, const std::wstring& calibration,
                                                    std::vector<CorrectionReport>& refusals) {
  LoadedCorrection loaded = LoadCorrection(folder, kind, width, height, calibration);
  if (loaded.outcome == LoadedCorrection::Outcome::Refused)
    refusals.push_back({CorrectionReport::Kind::StoreProblem, kind, loaded.message});
  if (loaded.outcome != LoadedCorrection::Outcome::Loaded) return nullptr;
  return std::make_shared<const CorrectionPicture>(std::move(loaded.picture));
}

}  // namespace

struct FrameCorrector::Planes {
  int width = 0;
  int height = 0;
  std::wstring calibration;
  Mirroring mirroring;                            // of the pictures `applied` is for
  std::shared_ptr<const CorrectionPicture> dark;  // null: none; as the sensor sees it
  std::shared_ptr<const CorrectionPicture> flat;  // null: none; its sums give the gains
  CorrectionPlanes applied;                       // the dark values and the flat's gains, as applied
  StoredSize elsewhere;                           // with neither: a size there are some for

  Planes(int w, int h, std::wstring cal, Mirroring m, std::shared_ptr<const CorrectionPicture> d,
         std::shared_ptr<const CorrectionPicture> f)
      : width(w), height(h), calibration(std::move(cal)), mirroring(m), dark(std::move(d)), flat(std::move(f)) {
    const std::size_t values = static_cast<std::size_t>(width) * height * 3;
    std::vector<std::uint8_t> darkTurned;
    std::vector<std::uint16_t> sumTurned;
    const std::uint8_t* darkValues = dark ? Turned(dark->dark, darkTurned, width, height, mirroring) : nullptr;
    const std::uint16_t* flatSum = flat ? Turned(flat->flatSum, sumTurned, width, height, mirroring) : nullptr;
    std::vector<std::uint16_t> gains;
    if (flat) {
      gains.resize(values);
      ComputeFlatGains(flatSum, flat->frames, darkValues, values / 3, gains.data());
    }
    applied = LayOutPlanes(darkValues, flat ? gains.data() : nullptr, values);
  }
  bool Any() const { return applied.hasDark || applied.hasGain; }
  // For pictures of this size through this objective, whatever their mirroring.
  bool IsFor(int w, int h, const std::wstring& cal) const { return width == w && height == h && calibration == cal; }
  bool Fits(int w, int h, const std::wstring& cal, Mirroring m) const { return IsFor(w, h, cal) && mirroring == m; }
};

struct FrameCorrector::Job {
  enum class Kind { Load, FinishTake };
  Kind kind = Kind::Load;
  int width = 0;
  int height = 0;
  std::wstring calibration;
  Mirroring mirroring;  // Load: of the picture; FinishTake: of the frames taken
  // FinishTake: the sums of the take's frames.
  CorrectionKind what = CorrectionKind::Dark;
  std::vector<std::uint16_t> sum;
  int frames = 0;
};

FrameCorrector::FrameCorrector() : FrameCorrector(Options{}) {}

FrameCorrector::FrameCorrector(Options options) : options_(std::move(options)) {
  if (!options_.registryKey.empty()) {
    DWORD averaging = 0, on = 0;
    ReadRegistryValue(HKEY_CURRENT_USER, options_.registryKey.c_str(), kAveragingValue, REG_DWORD, &averaging,
                      sizeof averaging);
    ReadRegistryValue(HKEY_CURRENT_USER, options_.registryKey.c_str(), kCorrectionOnValue, REG_DWORD, &on, sizeof on);
    averaging_ = averaging >= 2 ? static_cast<int>(std::min<DWORD>(averaging, kLongestMean)) : 0;
    correctionOn_ = on != 0;
  }
  status_.averaging = averaging_;
  status_.correctionOn = correctionOn_;
  worker_ = std::thread([this] { WorkerLoop(); });
}

FrameCorrector::~FrameCorrector() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  work_.notify_all();
  worker_.join();
}

// ---------------------------------------------------------------------------------------
// The hand-off thread

void FrameCorrector::Restart() noexcept { restart_ = true; }

void FrameCorrector::Apply(std::uint8_t* pixels, std::size_t stride, int width, int height) noexcept {
  if (!pixels || width <= 0 || height <= 0 || stride < 3 * static_cast<std::size_t>(width)) return;
  try {
    const std::size_t rowValues = 3 * static_cast<std::size_t>(width);
    const std::size_t count = rowValues * height;
    bool notify = false;
    int averaging = 0;
    bool on = false;
    Mirroring mirroring;
    std::shared_ptr<const Planes> planes;
    std::optional<std::uint64_t> take;
    {
      std::lock_guard lock(mutex_);
      if (width != status_.pictureWidth || height != status_.pictureHeight) {
        // Frames of another size than the take's first: it cannot go on.
        if (take_ && take_->frames > 0) EndTakeLocked(L"the picture size changed while it was being taken");
        status_.pictureWidth = width;
        status_.pictureHeight = height;
        LoadIfNeededLocked();
        notify = true;
      }
      averaging = averaging_;
      on = correctionOn_;
      mirroring = mirroring_;
      planes = planes_;
      if (take_) take = take_->number;
    }
    const bool restart = restart_.exchange(false);

    // A take averages the frames as they come from the camera, before any correction.
    if (take) {
      if (takeSumNumber_ != *take || restart || takeSum_.size() != count) {
        takeSum_.assign(count, 0);
        takeSumNumber_ = *take;
        takeSumFrames_ = 0;
      }
      for (int y = 0; y < height; ++y) AddToSum(pixels + y * stride, takeSum_.data() + y * rowValues, rowValues);
      ++takeSumFrames_;
    }

    Stages stages;
    if (averaging >= 2) {
      if (restart || meanLength_ != averaging || meanWidth_ != width || meanHeight_ != height ||
          mean_.size() != count) {
        mean_.resize(count);
        meanFrames_ = 0;
        meanLength_ = averaging;
        meanWidth_ = width, meanHeight_ = height;
      }
      stages.mean = mean_.data();
      stages.meanWeight = MeanWeight(++meanFrames_, averaging);
    } else if (!mean_.empty()) {
      std::vector<std::uint16_t>().swap(mean_);  // 30 MB at full size: not kept while off
      meanLength_ = 0;
    }
    const bool fits =
        on && planes && planes->width == width && planes->height == height && planes->mirroring == mirroring;
    if (fits && planes->Any()) stages.planes = &planes->applied;
    if (stride == rowValues) {
      CorrectValues(pixels, count, stages);
    } else {
      for (int y = 0; y < height; ++y) CorrectValues(pixels + y * stride, rowValues, stages, y * rowValues);
    }

    {
      std::lock_guard lock(mutex_);
      if (take_ && take && take_->number == *take) {
        take_->frames = takeSumFrames_;
        take_->lastFrame = std::chrono::steady_clock::now();
        status_.takenFrames = takeSumFrames_;
        notify = true;
        if (takeSumFrames_ >= kTakeFrames) {
          auto job = std::make_unique<Job>();
          job->kind = Job::Kind::FinishTake;
          job->width = width, job->height = height;
          job->calibration = calibration_;
          job->mirroring = mirroring_;
          job->what = take_->kind;
          job->sum = std::move(takeSum_);
          job->frames = takeSumFrames_;
          jobs_.push_back(std::move(job));
          takeSum_.clear();
          takeSumNumber_ = 0;
          take_.reset();
          status_.taking.reset();
          status_.takenFrames = 0;
          work_.notify_all();
        }
      }
      CorrectionStatus next = status_;
      next.darkApplied = stages.planes && stages.planes->hasDark;
      next.flatApplied = stages.planes && stages.planes->hasGain;
      next.storedWidth = next.storedHeight = 0;
      if (!on) {
        next.gap = CorrectionGap::None;
      } else if (!fits) {
        next.gap = CorrectionGap::Loading;  // a load is in hand whenever the correction held does not fit
      } else if (!stages.planes) {
        next.gap = planes->elsewhere.width > 0 ? CorrectionGap::OtherSize : CorrectionGap::NothingStored;
        next.storedWidth = planes->elsewhere.width;
        next.storedHeight = planes->elsewhere.height;
      } else {
        next.gap = CorrectionGap::None;
      }
      if (!(next == status_)) {
        status_ = next;
        notify = true;
      }
    }
    if (notify) Notify();
  } catch (...) {
    // Out of memory for a mean or a take: the frame goes on as it came.
  }
}

// ---------------------------------------------------------------------------------------
// Settings and requests

void FrameCorrector::SetAveraging(int frames) {
  {
    std::lock_guard lock(mutex_);
    averaging_ = frames >= 2 ? std::min(frames, kLongestMean) : 0;
    status_.averaging = averaging_;
    StoreChoicesLocked();
  }
  Notify();
}

int FrameCorrector::Averaging() const {
  std::lock_guard lock(mutex_);
  return averaging_;
}

int FrameCorrector::StepAveraging() {
  int next = 0;
  {
    std::lock_guard lock(mutex_);
    next = averaging_ < 2 ? 2 : averaging_ >= kLongestMean ? 0 : std::min(averaging_ * 2, kLongestMean);
  }
  SetAveraging(next);
  return next;
}

void FrameCorrector::SetCorrectionOn(bool on) {
  {
    std::lock_guard lock(mutex_);
    correctionOn_ = on;
    status_.correctionOn = on;
    StoreChoicesLocked();
    LoadIfNeededLocked();
  }
  Notify();
}

bool FrameCorrector::CorrectionOn() const {
  std::lock_guard lock(mutex_);
  return correctionOn_;
}

void FrameCorrector::SetCalibration(const std::wstring& name) {
  {
    std::lock_guard lock(mutex_);
    if (name == calibration_) return;
    calibration_ = name;
    LoadIfNeededLocked();
  }
  Notify();
}

void FrameCorrector::SetMirroring(Mirroring mirroring) {
  {
    std::lock_guard lock(mutex_);
    if (mirroring == mirroring_) return;
    mirroring_ = mirroring;
    LoadIfNeededLocked();
  }
  Notify();
}

bool FrameCorrector::Take(CorrectionKind kind) {
  {
    std::lock_guard lock(mutex_);
    if (take_ || stopping_) return false;
    take_ = TakeInHand{kind, ++takes_, 0, std::chrono::steady_clock::now()};
    status_.taking = kind;
    status_.takenFrames = 0;
  }
  work_.notify_all();  // the worker keeps the time-out
  Notify();
  return true;
}

void FrameCorrector::CancelTake(const std::wstring& why) {
  {
    std::lock_guard lock(mutex_);
    if (!take_) return;
    EndTakeLocked(why);
  }
  Notify();
}

CorrectionStatus FrameCorrector::Status() const {
  std::lock_guard lock(mutex_);
  return status_;
}

std::vector<CorrectionReport> FrameCorrector::TakeReports() {
  std::lock_guard lock(mutex_);
  return std::exchange(reports_, {});
}

void FrameCorrector::SetListener(std::function<void()> listener) {
  std::lock_guard lock(listenerMutex_);
  listener_ = std::move(listener);
}

void FrameCorrector::WaitUntilIdle() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return jobs_.empty() && !busy_; });
}

void FrameCorrector::Notify() {
  std::lock_guard lock(listenerMutex_);
  if (listener_) listener_();
}

void FrameCorrector::ReportLocked(CorrectionReport report) {
  // Nobody may be listening (no panel yet): the oldest go first rather than piling up.
  if (reports_.size() >= 16) reports_.erase(reports_.begin());
  reports_.push_back(std::move(report));
}

void FrameCorrector::EndTakeLocked(const std::wstring& why) {
  ReportLocked({CorrectionReport::Kind::NotTaken, take_->kind,
                L"The " + std::wstring(CorrectionKindName(take_->kind)) + L" was not taken: " + why + L"."});
  take_.reset();
  status_.taking.reset();
  status_.takenFrames = 0;
}

bool FrameCorrector::PlanesFitLocked() const {
  return planes_ && planes_->Fits(status_.pictureWidth, status_.pictureHeight, calibration_, mirroring_);
}

void FrameCorrector::LoadIfNeededLocked() {
  if (!correctionOn_ || status_.pictureWidth <= 0 || PlanesFitLocked()) return;
  // What is held is for another picture: not applied while the right one is read.
  if (planes_ && planes_->calibration != calibration_) planes_.reset();
  for (const auto& queued : jobs_) {
    if (queued->kind == Job::Kind::Load && queued->width == status_.pictureWidth &&
        queued->height == status_.pictureHeight && queued->calibration == calibration_ &&
        queued->mirroring == mirroring_)
      return;
  }
  auto job = std::make_unique<Job>();
  job->kind = Job::Kind::Load;
  job->width = status_.pictureWidth, job->height = status_.pictureHeight;
  job->calibration = calibration_;
  job->mirroring = mirroring_;
  jobs_.push_back(std::move(job));
  work_.notify_all();
}

std::wstring FrameCorrector::Folder() const {
  return options_.folder.empty() ? DefaultCorrectionFolder() : options_.folder;
}

void FrameCorrector::StoreChoicesLocked() const {
  if (options_.registryKey.empty()) return;
  const DWORD averaging = static_cast<DWORD>(averaging_), on = correctionOn_ ? 1 : 0;
  WriteRegistryValue(HKEY_CURRENT_USER, options_.registryKey.c_str(), kAveragingValue, REG_DWORD, &averaging,
                     sizeof averaging);
  WriteRegistryValue(HKEY_CURRENT_USER, options_.registryKey.c_str(), kCorrectionOnValue, REG_DWORD, &on, sizeof on);
}

// ---------------------------------------------------------------------------------------
// The worker

void FrameCorrector::WorkerLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    if (!jobs_.empty()) {
      std::unique_ptr<Job> job = std::move(jobs_.front());
      jobs_.pop_front();
      // On the way out only what was taken is still written; loads are of no use any more.
      if (stopping_ && job->kind == Job::Kind::Load) continue;
      busy_ = true;
      lock.unlock();
      try {
        RunJob(*job);
      } catch (...) {
        // Out of memory: this job is lost, the next ones may fare better.
      }
      job.reset();
      lock.lock();
      busy_ = false;
      if (jobs_.empty()) idle_.notify_all();
      continue;
    }
    idle_.notify_all();
    if (stopping_) return;
    if (!take_) {
      work_.wait(lock);
      continue;
    }
    const auto deadline = take_->lastFrame + options_.takeTimeout;
    if (std::chrono::steady_clock::now() < deadline) {
      work_.wait_until(lock, deadline);
      continue;
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(options_.takeTimeout).count();
    EndTakeLocked(Format(L"no frames came from the camera for %lld s (%d of %d averaged)",
                         static_cast<long long>(std::max<decltype(seconds)>(seconds, 1)), take_->frames, kTakeFrames));
    lock.unlock();
    Notify();
    lock.lock();
  }
}

void FrameCorrector::RunJob(Job& job) {
  if (job.kind == Job::Kind::Load) {
    Load(job);
  } else {
    FinishTake(job);
  }
  Notify();
}

void FrameCorrector::Load(const Job& job) {
  std::shared_ptr<const Planes> held;
  {
    std::lock_guard lock(mutex_);
    held = planes_;
  }
  if (held && held->IsFor(job.width, job.height, job.calibration) && (held->dark || held->flat)) {
    // Only the mirroring changed: what is held is turned anew, with no file read.
    Install(std::make_shared<Planes>(job.width, job.height, job.calibration, job.mirroring, held->dark, held->flat));
    return;
  }
  const std::wstring folder = Folder();
  std::vector<CorrectionReport> refusals;
  auto dark = ReadStored(folder, CorrectionKind::Dark, job.width, job.height, job.calibration, refusals);
  auto flat = ReadStored(folder, CorrectionKind::Flat, job.width, job.height, job.calibration, refusals);
  auto planes =
      std::make_shared<Planes>(job.width, job.height, job.calibration, job.mirroring, std::move(dark), std::move(flat));
  if (!planes->dark && !planes->flat)
    planes->elsewhere = StoredSizeOtherThan(folder, job.width, job.height, job.calibration);
  {
    std::lock_guard lock(mutex_);
    for (CorrectionReport& r : refusals) ReportLocked(std::move(r));
  }
  Install(std::move(planes));
}

void FrameCorrector::Install(std::shared_ptr<const Planes> planes) {
  std::lock_guard lock(mutex_);
  // The picture may have changed size or calibration meanwhile: then a load for it follows. Planes
  // of another mirroring are kept (Apply leaves them out), so the load that follows turns them
  // rather than reading older files.
  if (planes->IsFor(status_.pictureWidth, status_.pictureHeight, calibration_)) planes_ = std::move(planes);
}

void FrameCorrector::FinishTake(Job& job) {
  const std::size_t count = job.sum.size();
  CorrectionPicture taken;
  taken.kind = job.what;
  taken.width = job.width, taken.height = job.height;
  taken.frames = job.frames;
  taken.dark.resize(count);
  AverageOfSum(job.sum.data(), job.frames, taken.dark.data(), count);
  const PictureMeasures m = MeasurePicture(taken.dark.data(), job.width, job.height, 3 * std::size_t(job.width));
  const std::wstring kind = CorrectionKindName(job.what);
  const auto refuse = [&](const std::wstring& why) {
    std::lock_guard lock(mutex_);
    ReportLocked({CorrectionReport::Kind::NotTaken, job.what, L"The " + kind + L" was not taken: " + why});
  };
  std::wstring summary;
  if (job.what == CorrectionKind::Dark) {
    if (m.mean > kDarkMostMean || m.brightShare > kDarkMostBrightShare) {
      return refuse(
          Format(L"the picture is not dark (mean grey level %.1f, %.1f %% of the values above 128; a "
                 L"dark frame has at most %.0f and %.0f %%). Cap the lens or close the light path, and "
                 L"take it again.",
                 m.mean, 100 * m.brightShare, kDarkMostMean, 100 * kDarkMostBrightShare));
    }
    summary = Format(L"mean %.1f", m.mean);
  } else {
    if (m.clippedShare > kFlatMostClippedShare) {
      return refuse(
          Format(L"%.2f %% of its pixels are clipped at white (at most %.1f %% may be). Lower the "
                 L"exposure, the gain or the light, and take it again.",
                 100 * m.clippedShare, 100 * kFlatMostClippedShare));
    }
    if (m.mean < kFlatLeastMean) {
      return refuse(
          Format(L"the picture is too dim (mean grey level %.1f; at least %.0f is needed). Raise the "
                 L"exposure or the light, and take it again.",
                 m.mean, kFlatLeastMean));
    }
    summary = Format(L"unevenness %.1f %%", 100 * m.unevenness);
    taken.dark.clear();
    taken.flatSum = std::move(job.sum);
  }
  // Kept as the sensor sees it, whatever the mirroring it was taken with.
  MirrorPicture(taken.dark.empty() ? nullptr : taken.dark.data(), job.width, job.height, job.mirroring);
  MirrorPicture(taken.flatSum.empty() ? nullptr : taken.flatSum.data(), job.width, job.height, job.mirroring);
  const std::wstring folder = Folder();
  const std::wstring unsaved = SaveCorrection(folder, taken, job.calibration);

  // In use at once, with the other kind for this picture: the one held, or else the stored one
  // (nothing is held while the correction was off).
  std::shared_ptr<const Planes> held;
  {
    std::lock_guard lock(mutex_);
    held = planes_;
  }
  const bool holdsThisPicture = held && held->IsFor(job.width, job.height, job.calibration);
  const CorrectionKind otherKind = job.what == CorrectionKind::Dark ? CorrectionKind::Flat : CorrectionKind::Dark;
  std::vector<CorrectionReport> refusals;
  std::shared_ptr<const CorrectionPicture> other =
      holdsThisPicture ? (otherKind == CorrectionKind::Dark ? held->dark : held->flat)
                       : ReadStored(folder, otherKind, job.width, job.height, job.calibration, refusals);
  auto picture = std::make_shared<const CorrectionPicture>(std::move(taken));
  auto dark = job.what == CorrectionKind::Dark ? picture : other;
  auto flat = job.what == CorrectionKind::Flat ? picture : other;
  Install(std::make_shared<Planes>(job.width, job.height, job.calibration, job.mirroring, std::move(dark),
                                   std::move(flat)));
  std::lock_guard lock(mutex_);
  correctionOn_ = true;
  status_.correctionOn = true;
  StoreChoicesLocked();
  LoadIfNeededLocked();  // the mirroring changed while it was being written
  ReportLocked({CorrectionReport::Kind::Taken, job.what,
                Capitalised(kind.c_str()) + L" taken (" + summary + L"); correction on."});
  if (!unsaved.empty()) ReportLocked({CorrectionReport::Kind::StoreProblem, job.what, unsaved});
  for (CorrectionReport& r : refusals) ReportLocked(std::move(r));
}

// ---------------------------------------------------------------------------------------

std::wstring CorrectionInfoText(const CorrectionStatus& s) {
  std::wstring text;
  if (s.averaging >= 2) text = Format(L"avg %d", s.averaging);
  // Before the first frame there is nothing to tell of the correction.
  if (!s.correctionOn || (s.gap == CorrectionGap::None && !s.darkApplied && !s.flatApplied)) return text;
  if (!text.empty()) text += L"   ";
  switch (s.gap) {
    case CorrectionGap::None:
      if (s.darkApplied && s.flatApplied) return text + L"Corrected: dark, flat";
      return text + (s.darkApplied ? L"Corrected: dark" : L"Corrected: flat");
    case CorrectionGap::NothingStored:
      return text + L"Not corrected: no dark frame or flat field for " + Size(s.pictureWidth, s.pictureHeight);
    case CorrectionGap::OtherSize:
      return text + L"Not corrected: the correction is for " + Size(s.storedWidth, s.storedHeight) +
             L", the picture is " + Size(s.pictureWidth, s.pictureHeight);
    case CorrectionGap::Loading:
      return text + L"Not corrected yet: reading the correction for " + Size(s.pictureWidth, s.pictureHeight);
  }
  return text;
}

}  // namespace q7::imaging
