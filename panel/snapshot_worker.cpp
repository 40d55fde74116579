#include "panel/snapshot_worker.h"

#include <exception>
#include <new>
#include <utility>

#include "framework/com_apartment.h"
#include "framework/system_message.h"

namespace {

// For tests that need a save to take a while (a snapshot still being written while the user
// goes on, a series slower than its interval): the environment's Q7_SNAPSHOT_DELAY_MS.
DWORD SnapshotDelayForTests() {
  wchar_t text[16] = L"";
  if (::GetEnvironmentVariableW(L"Q7_SNAPSHOT_DELAY_MS", text, 16) == 0) return 0;
  return static_cast<DWORD>(std::wcstoul(text, nullptr, 10));
}

SnapshotOutcome SaveSnapshotMaybeSlowly(std::span<const std::uint8_t> frame, const std::wstring& path,
                                        const SnapshotWriteOptions& options) {
  if (const DWORD delay = SnapshotDelayForTests()) ::Sleep(delay);
  return SaveSnapshot(frame, path, options);
}

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

SnapshotWorker::SnapshotWorker(HWND notify, SaveFunction save)
    : notify_(notify), save_(save ? std::move(save) : SaveFunction(SaveSnapshotMaybeSlowly)) {
  thread_ = std::thread(&SnapshotWorker::Run, this);
}

SnapshotWorker::~SnapshotWorker() { Finish(); }

SnapshotWorker::Accepted SnapshotWorker::Submit(std::vector<std::uint8_t> frame, std::wstring path, int jpegQuality,
                                                Prepare prepare) {
  std::lock_guard lock(mutex_);
  if (finishing_) return Accepted::Finishing;
  if (queue_.size() + (writingSnapshot_ ? 1 : 0) >= kSnapshotLimit) return Accepted::Full;
  queue_.push_back({std::move(frame), std::move(path), jpegQuality, std::move(prepare)});
  wake_.notify_one();
  return Accepted::Yes;
}

bool SnapshotWorker::StartSeries(const SeriesPlan& plan, FrameSource frames, Prepare prepare) {
  std::lock_guard lock(mutex_);
  if (finishing_ || series_) return false;
  Series& series = series_.emplace();
  series.plan = plan;
  series.frames = std::move(frames);
  series.prepare = std::move(prepare);
  series.start = Clock::now();
  series.nextNumber = plan.firstNumber;
  series.counts = {0, plan.count, 0};
  wake_.notify_one();
  return true;
}

void SnapshotWorker::StopSeries(SeriesEnd why) {
  std::lock_guard lock(mutex_);
  if (series_ && !series_->stopRequested) {
    series_->stopRequested = true;
    series_->stopReason = why;
  }
  wake_.notify_one();
}

void SnapshotWorker::Finish() {
  {
    std::lock_guard lock(mutex_);
    finishing_ = true;
    wake_.notify_one();
  }
  if (thread_.joinable()) thread_.join();
}

std::vector<SnapshotReport> SnapshotWorker::TakeReports() {
  std::lock_guard lock(mutex_);
  return std::exchange(reports_, {});
}

std::size_t SnapshotWorker::SnapshotsInHand() const {
  std::lock_guard lock(mutex_);
  return queue_.size() + (writingSnapshot_ ? 1 : 0);
}

bool SnapshotWorker::SeriesRunning() const {
  std::lock_guard lock(mutex_);
  return series_.has_value();
}

bool SnapshotWorker::Idle() const {
  std::lock_guard lock(mutex_);
  return queue_.empty() && !writingSnapshot_ && !series_;
}

void SnapshotWorker::Run() noexcept {
  const ComApartment com;  // the Windows Imaging Component's encoders need it
  std::unique_lock lock(mutex_);
  for (;;) {
    // Snapshots the user asked for go before the series' next picture.
    if (!queue_.empty()) {
      WriteSnapshot(lock);
    } else if (series_) {
      ServeSeries(lock);
    } else if (finishing_) {
      return;
    } else {
      wake_.wait(lock);
    }
  }
}

void SnapshotWorker::WriteSnapshot(std::unique_lock<std::mutex>& lock) {
  Job job = std::move(queue_.front());
  queue_.pop_front();
  writingSnapshot_ = true;
  lock.unlock();
  SnapshotWriteOptions options;
  options.progress = [this](int percent) { ::PostMessageW(notify_, WM_SNAPSHOT_PROGRESS, percent, 0); };
  options.jpegQuality = job.jpegQuality;
  const SnapshotOutcome outcome = PrepareAndSave(job.prepare, job.frame, job.path, options);
  job.frame = {};  // the memory goes back before the next job's
  lock.lock();
  writingSnapshot_ = false;
  Report({SnapshotReport::Kind::Snapshot, job.path, outcome, {}, SeriesEnd::Completed});
}

void SnapshotWorker::ServeSeries(std::unique_lock<std::mutex>& lock) {
  Series& series = *series_;
  if (series.stopRequested || finishing_) {
    EndSeries(lock, series.stopRequested ? series.stopReason : SeriesEnd::Stopped);
    return;
  }
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - series.start).count();
  const SeriesTick tick = ChooseSeriesTick(series.nextTick, elapsed, series.plan.intervalMs);
  series.counts.skipped += tick.skipped;
  series.nextTick = tick.tick;
  if (tick.takeNow) {
    TakeSeriesPicture(lock);
    return;
  }
  // Woken early by a snapshot, a stop or the end; otherwise at the tick's time.
  wake_.wait_until(lock, series.start + std::chrono::milliseconds(tick.tick * series.plan.intervalMs));
}

void SnapshotWorker::TakeSeriesPicture(std::unique_lock<std::mutex>& lock) {
  // Only this thread changes or ends the series; the others only ask it to stop.
  Series& series = *series_;
  ++series.nextTick;
  int number = series.nextNumber;
  lock.unlock();
  std::vector<std::uint8_t> frame;
  try {
    frame = series.frames();
  } catch (const std::exception&) {
    frame.clear();  // told below as a snapshot without a picture
  }
  // Never over a file that appeared since the series began; a time-lapse stays in its file.
  if (!series.movie) {
    for (int tries = 0; tries < 1000 && FileExists(SeriesFilePath(series.plan, number)); ++tries) ++number;
  }
  const std::wstring path = series.movie ? series.moviePath : SeriesFilePath(series.plan, number);
  SnapshotOutcome outcome;
  if (const std::optional<SnapshotOutcome> failed = PrepareFrame(series.prepare, frame, path)) {
    outcome = *failed;
  } else if (series.plan.timeLapse) {
    outcome = AddToTimeLapse(series, frame, path);
  } else {
    SnapshotWriteOptions options;
    options.existing = q7::imaging::ExistingFile::Keep;
    options.jpegQuality = series.plan.jpegQuality;
    outcome = SaveSafely(frame, path, options);
  }
  lock.lock();
  series.nextNumber = number + 1;
  if (!outcome.saved) {
    EndSeries(lock, SeriesEnd::Failed, path, outcome);
    return;
  }
  ++series.counts.saved;
  Report({SnapshotReport::Kind::SeriesPicture, path, {}, series.counts, SeriesEnd::Completed});
  if (series.plan.count > 0 && series.counts.saved >= series.plan.count) EndSeries(lock, SeriesEnd::Completed);
}

SnapshotOutcome SnapshotWorker::AddToTimeLapse(Series& series, std::span<const std::uint8_t> frame,
                                               const std::wstring& path) noexcept {
  try {
    if (frame.size() < sizeof(BITMAPINFOHEADER)) return SnapshotFailure(path, L"There is no picture yet.");
    const std::optional<CopiedFrameLayout> copied = LayoutOfCopiedFrame(frame);
    if (!copied) return SnapshotFailure(path, L"The picture could not be read.");
    const FrameLayout& layout = copied->layout;
    const std::size_t offset = copied->pixelOffset;
    if (!series.movie) {
      auto movie =
          std::make_unique<q7::recording::AviWriter>(path, layout.width, layout.height, series.plan.playbackFps);
      if (const HRESULT hr = movie->Open(); FAILED(hr)) return SnapshotFailure(path, SystemMessage(hr));
      series.movie = std::move(movie);
      series.moviePath = path;
      series.movieWidth = layout.width;
      series.movieHeight = layout.height;
      series.encoder = std::make_unique<q7::imaging::JpegEncoder>();
    } else if (layout.width != series.movieWidth || layout.height != series.movieHeight) {
      return SnapshotFailure(path, L"The picture size changed; the time-lapse ends with the pictures before it.");
    }
    std::vector<std::uint8_t> jpeg;
    HRESULT hr = series.encoder->Encode({frame.data() + offset, layout.width, layout.height, layout.stride},
                                        {series.plan.jpegQuality}, jpeg);
    // Each picture is committed: a time-lapse loses none to a crash.
    if (SUCCEEDED(hr)) hr = series.movie->WriteFrame(jpeg);
    if (SUCCEEDED(hr)) hr = series.movie->Commit();
    if (FAILED(hr)) return SnapshotFailure(path, SystemMessage(static_cast<DWORD>(hr)));
    return {true, {}};
  } catch (const std::exception&) {
    return SnapshotFailure(path, L"There was not enough memory.");
  }
}

void SnapshotWorker::EndSeries(std::unique_lock<std::mutex>& lock, SeriesEnd end, const std::wstring& path,
                               const SnapshotOutcome& failure) {
  const SeriesCounts counts = series_->counts;
  std::wstring endPath = path;
  SnapshotOutcome endFailure = failure;
  if (std::unique_ptr<q7::recording::AviWriter> movie = std::move(series_->movie)) {
    // A time-lapse's file gets its last index and its final header (a failed one is closed
    // already). Only this thread ends the series, so the lock can go while the disk works.
    const std::wstring moviePath = series_->moviePath;
    lock.unlock();
    const HRESULT hr = movie->Close();
    movie.reset();
    lock.lock();
    if (FAILED(hr) && end != SeriesEnd::Failed) {
      end = SeriesEnd::Failed;
      endPath = moviePath;
      endFailure = SnapshotFailure(endPath, SystemMessage(static_cast<DWORD>(hr)));
    }
  }
  series_.reset();
  Report({SnapshotReport::Kind::SeriesEnded, endPath, endFailure, counts, end});
}

void SnapshotWorker::Report(SnapshotReport report) {
  reports_.push_back(std::move(report));
  ::PostMessageW(notify_, WM_SNAPSHOT_REPORT, 0, 0);
}

std::optional<SnapshotOutcome> SnapshotWorker::PrepareFrame(const Prepare& prepare, std::vector<std::uint8_t>& frame,
                                                            const std::wstring& path) const noexcept {
  // A frame that is not there is the save's to tell.
  if (!prepare || frame.empty()) return std::nullopt;
  std::wstring why;
  try {
    why = prepare(frame);
  } catch (const std::bad_alloc&) {
    why = L"There was not enough memory.";
  } catch (...) {
    why = L"The picture could not be prepared.";
  }
  if (why.empty()) return std::nullopt;
  return SnapshotFailure(path, why);
}

SnapshotOutcome SnapshotWorker::PrepareAndSave(const Prepare& prepare, std::vector<std::uint8_t>& frame,
                                               const std::wstring& path,
                                               const SnapshotWriteOptions& options) const noexcept {
  if (const std::optional<SnapshotOutcome> failed = PrepareFrame(prepare, frame, path)) return *failed;
  return SaveSafely(frame, path, options);
}

SnapshotOutcome SnapshotWorker::SaveSafely(std::span<const std::uint8_t> frame, const std::wstring& path,
                                           const SnapshotWriteOptions& options) const noexcept {
  try {
    return save_(frame, path, options);
  } catch (const std::bad_alloc&) {
    return SnapshotFailure(path, L"There was not enough memory.");
  } catch (...) {
    return SnapshotFailure(path, L"The encoder failed.");
  }
}
