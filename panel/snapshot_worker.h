#pragma once
// SnapshotWorker: one thread that encodes and writes snapshots, so that the user-interface
// thread only copies the frame. It takes single snapshots into a short queue and runs at most
// one timed series, whose pictures it copies from the frame buffer itself at their times. What
// happens is told to a window by posted messages only (never sent: that window's thread may be
// waiting for this one to end), with the details kept here until the window's thread takes them.
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "panel/capture_series.h"
#include "panel/panel_messages.h"
#include "panel/snapshot.h"
#include "recording/avi_writer.h"

struct SeriesCounts {
  int saved = 0;
  int count = 0;  // 0: until stopped
  std::int64_t skipped = 0;
};

struct SnapshotReport {
  enum class Kind { Snapshot, SeriesPicture, SeriesEnded };
  Kind kind = Kind::Snapshot;
  std::wstring path;        // the file written, or the one that failed
  SnapshotOutcome outcome;  // Snapshot; SeriesEnded after a failed write
  SeriesCounts series;      // SeriesPicture and SeriesEnded
  SeriesEnd end = SeriesEnd::Completed;
};

class SnapshotWorker {
 public:
  using SaveFunction =
      std::function<SnapshotOutcome(std::span<const std::uint8_t>, const std::wstring&, const SnapshotWriteOptions&)>;
  using FrameSource = std::function<std::vector<std::uint8_t>()>;
  // Done to a frame before it is written (the burn-in); returns why it could not be done,
  // which fails that file, or nothing.
  using Prepare = std::function<std::wstring(std::vector<std::uint8_t>& frame)>;
  // Snapshots in hand at most: the one being written and those waiting behind it.
  static constexpr std::size_t kSnapshotLimit = 4;

  // Starts the thread; reports go to `notify`. An empty `save` means SaveSnapshot, which the
  // environment variable Q7_SNAPSHOT_DELAY_MS (milliseconds) makes slower, for tests.
  explicit SnapshotWorker(HWND notify, SaveFunction save = {});
  ~SnapshotWorker();
  SnapshotWorker(const SnapshotWorker&) = delete;
  SnapshotWorker& operator=(const SnapshotWorker&) = delete;

  enum class Accepted { Yes, Full, Finishing };
  // A frame copy (FrameExchange::CopyBlock) to be written to `path`, replacing a file there;
  // a JPEG at `jpegQuality`; after `prepare` (when given) on this worker's thread.
  Accepted Submit(std::vector<std::uint8_t> frame, std::wstring path,
                  int jpegQuality = q7::imaging::kDefaultJpegQuality, Prepare prepare = {});
  // Starts a series that takes its pictures from `frames`, each after `prepare` (when given);
  // false while one runs or when finishing.
  bool StartSeries(const SeriesPlan& plan, FrameSource frames, Prepare prepare = {});
  // The picture being written is finished, then the series ends as stopped (or `why`).
  void StopSeries(SeriesEnd why = SeriesEnd::Stopped);
  // Ends a series, writes every snapshot in hand and stops the thread. Safe to call again.
  void Finish();

  // The reports since the last call, oldest first.
  std::vector<SnapshotReport> TakeReports();
  std::size_t SnapshotsInHand() const;
  bool SeriesRunning() const;
  // No snapshot in hand and no series.
  bool Idle() const;

 private:
  using Clock = std::chrono::steady_clock;
  struct Job {
    std::vector<std::uint8_t> frame;
    std::wstring path;
    int jpegQuality = q7::imaging::kDefaultJpegQuality;
    Prepare prepare;
  };
  struct Series {
    SeriesPlan plan;
    FrameSource frames;
    Prepare prepare;
    Clock::time_point start;
    std::int64_t nextTick = 0;
    int nextNumber = 1;
    SeriesCounts counts;
    bool stopRequested = false;
    SeriesEnd stopReason = SeriesEnd::Stopped;
    // A time-lapse's file, open from its first picture on, and the compressor for its frames.
    std::unique_ptr<q7::recording::AviWriter> movie;
    std::wstring moviePath;
    int movieWidth = 0, movieHeight = 0;
    std::unique_ptr<q7::imaging::JpegEncoder> encoder;
  };

  void Run() noexcept;
  // Each is called and returns with the lock held; the work itself runs without it.
  void WriteSnapshot(std::unique_lock<std::mutex>& lock);
  void ServeSeries(std::unique_lock<std::mutex>& lock);
  void TakeSeriesPicture(std::unique_lock<std::mutex>& lock);
  // Encodes a time-lapse's picture and adds it to its file; called without the lock.
  static SnapshotOutcome AddToTimeLapse(Series& series, std::span<const std::uint8_t> frame,
                                        const std::wstring& path) noexcept;
  // With the lock held; it is let go while a time-lapse's file is finished on the disk.
  void EndSeries(std::unique_lock<std::mutex>& lock, SeriesEnd end, const std::wstring& path = {},
                 const SnapshotOutcome& failure = {});
  void Report(SnapshotReport report);
  SnapshotOutcome SaveSafely(std::span<const std::uint8_t> frame, const std::wstring& path,
                             const SnapshotWriteOptions& options) const noexcept;
  // `prepare` done to `frame` (when given); a failure is the file's.
  std::optional<SnapshotOutcome> PrepareFrame(const Prepare& prepare, std::vector<std::uint8_t>& frame,
                                              const std::wstring& path) const noexcept;
  // `prepare` done to `frame`, then the save; a failure of either is the file's.
  SnapshotOutcome PrepareAndSave(const Prepare& prepare, std::vector<std::uint8_t>& frame, const std::wstring& path,
                                 const SnapshotWriteOptions& options) const noexcept;

  const HWND notify_;  // not owned
  const SaveFunction save_;
  mutable std::mutex mutex_;  // guards everything below but thread_
  std::condition_variable wake_;
  std::deque<Job> queue_;
  bool writingSnapshot_ = false;
  std::optional<Series> series_;
  bool finishing_ = false;
  std::vector<SnapshotReport> reports_;
  std::thread thread_;
};
