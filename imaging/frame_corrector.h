#pragma once
// FrameCorrector: the picture correction every frame gets on its way in, before anybody sees
// it, so the live picture, the statistics, snapshots, series and recordings all show the same
// corrected picture: the running mean of the last frames (averaging), less the dark frame,
// times the flat field's gain. It also takes dark frames and flat fields (16 raw frames
// averaged as they pass), checks them, stores them per picture size and loads them again.
//
// Threads:
// - Apply and Restart run on the camera's hand-off thread; Apply works without a lock but
//   for two short ones to read the settings and to note what it did.
// - The settings and the take requests come from the user-interface thread (any thread is
//   safe): each is read by the next frame.
// - A worker thread of its own checks and writes what was taken and loads the stored files,
//   so no file is touched on the hand-off thread; it also ends a take whose frames stop
//   coming (a camera that was unplugged).
// - The listener hears of every change of the status and every report, on whichever thread
//   made it; it must return at once and must not call back into the corrector.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "imaging/correction_arithmetic.h"
#include "imaging/correction_file.h"

namespace q7::imaging {

// Why a correction that is on is not applied to the picture.
enum class CorrectionGap {
  None,           // applied (or off)
  NothingStored,  // no dark frame or flat field was taken for this picture size, nor any other
  OtherSize,      // there are some, but for another picture size (stored* says which)
  Loading,        // the stored ones for this size are being read
};

struct CorrectionStatus {
  int averaging = 0;  // the chosen length of the running mean; 0: off
  bool correctionOn = false;
  // What the last frame got.
  bool darkApplied = false;
  bool flatApplied = false;
  CorrectionGap gap = CorrectionGap::None;
  int pictureWidth = 0;
  int pictureHeight = 0;
  int storedWidth = 0;  // with CorrectionGap::OtherSize: a size there are corrections for
  int storedHeight = 0;
  // A dark frame or flat field being taken, and how many of its frames have passed.
  std::optional<CorrectionKind> taking;
  int takenFrames = 0;
  friend bool operator==(const CorrectionStatus&, const CorrectionStatus&) = default;
};

// What the user is told once a take or a stored file has been dealt with.
struct CorrectionReport {
  enum class Kind {
    Taken,         // the dark frame or flat field is taken and in use
    NotTaken,      // refused (not dark, clipped, too dim) or ended (no frames, size changed)
    StoreProblem,  // a stored file was refused, or what was taken could not be stored
  };
  Kind kind = Kind::Taken;
  CorrectionKind what = CorrectionKind::Dark;
  std::wstring text;
};

class FrameCorrector {
 public:
  static constexpr int kTakeFrames = 16;
  static constexpr int kLongestMean = 32;

  struct Options {
    // Where the dark frames and flat fields are kept; empty: DefaultCorrectionFolder().
    std::wstring folder;
    // A key under HKEY_CURRENT_USER that keeps the averaging and the correction switch
    // (values "Averaging" and "CorrectionOn"); empty: they are not kept.
    std::wstring registryKey;
    // A take ends when no frame came for this long.
    std::chrono::milliseconds takeTimeout{5000};
  };

  FrameCorrector();
  explicit FrameCorrector(Options options);
  ~FrameCorrector();  // finishes writing what was taken, then stops the worker
  FrameCorrector(const FrameCorrector&) = delete;
  FrameCorrector& operator=(const FrameCorrector&) = delete;

  // --- The hand-off thread

  // Corrects one frame (packed BGR24 rows, `stride` bytes apart) in place, and adds it raw to
  // a dark frame or flat field being taken.
  void Apply(std::uint8_t* pixels, std::size_t stride, int width, int height) noexcept;
  // The camera's settings changed: the mean starts again from the next frame, and so does a
  // take (the frames it had are of the old settings).
  void Restart() noexcept;

  // --- Settings and requests (the user-interface thread)

  // 0 or 1: off; 2 to 32 frames.
  void SetAveraging(int frames);
  int Averaging() const;
  // Off, 2, 4, 8, 16, 32, off: returns the new length.
  int StepAveraging();
  void SetCorrectionOn(bool on);
  bool CorrectionOn() const;
  // The calibration in use (the objective), which the flat fields are kept under; empty: none.
  void SetCalibration(const std::wstring& name);
  // The camera's mirroring. Dark frames and flat fields are kept as the sensor sees them, and
  // turned to match the picture, so one taken mirrored still fits after the mirroring changes.
  void SetMirroring(Mirroring mirroring);
  // Starts taking a dark frame or flat field from the next frames; false while one is taken.
  bool Take(CorrectionKind kind);
  // Ends a take under way, telling why ("the camera was stopped").
  void CancelTake(const std::wstring& why);

  CorrectionStatus Status() const;
  // The reports since the last call, oldest first.
  std::vector<CorrectionReport> TakeReports();
  void SetListener(std::function<void()> listener);
  // For tests: waits until the worker has nothing left to do.
  void WaitUntilIdle();

 private:
  struct Planes;  // a correction ready to apply to pictures of one size
  struct Job;
  struct TakeInHand {
    CorrectionKind kind;
    std::uint64_t number;  // each take its own
    int frames = 0;
    std::chrono::steady_clock::time_point lastFrame;
  };

  void WorkerLoop();
  void RunJob(Job& job);
  void FinishTake(Job& job);
  void Load(const Job& job);
  // Installs `planes` when the picture still has their size and calibration.
  void Install(std::shared_ptr<const Planes> planes);
  // With mutex_ held.
  void ReportLocked(CorrectionReport report);
  void EndTakeLocked(const std::wstring& why);
  // Queues a load of the stored files when the correction is on and what is held does not fit
  // the picture.
  void LoadIfNeededLocked();
  bool PlanesFitLocked() const;
  void StoreChoicesLocked() const;
  // Where the dark frames and flat fields are kept.
  std::wstring Folder() const;
  void Notify();

  const Options options_;
  mutable std::mutex mutex_;  // guards everything below down to jobs_
  std::condition_variable work_;
  int averaging_ = 0;
  bool correctionOn_ = false;
  std::wstring calibration_;
  Mirroring mirroring_;
  std::shared_ptr<const Planes> planes_;  // what Apply uses; replaced whole, never changed
  std::optional<TakeInHand> take_;
  std::uint64_t takes_ = 0;
  CorrectionStatus status_;
  std::vector<CorrectionReport> reports_;
  std::deque<std::unique_ptr<Job>> jobs_;
  bool stopping_ = false;
  bool busy_ = false;  // the worker is running a job
  std::condition_variable idle_;

  std::mutex listenerMutex_;  // held while the listener runs, so clearing it waits for it
  std::function<void()> listener_;

  std::atomic<bool> restart_{false};
  // The hand-off thread's own: the running mean and the take's sums.
  std::vector<std::uint16_t> mean_;
  int meanFrames_ = 0;
  int meanLength_ = 0;
  int meanWidth_ = 0, meanHeight_ = 0;
  std::vector<std::uint16_t> takeSum_;
  std::uint64_t takeSumNumber_ = 0;
  int takeSumFrames_ = 0;

  std::thread worker_;  // last: it starts once everything above exists
};

// "avg 8" while averaging; "Not corrected: no dark frame or flat field for 1280 x 960" when
// the correction is on but not applied; the two joined by three spaces; empty for neither.
std::wstring CorrectionInfoText(const CorrectionStatus& status);

}  // namespace q7::imaging
