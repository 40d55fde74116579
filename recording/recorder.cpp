#include "recording/recorder.h"

#include <algorithm>

#include "imaging/jpeg_encoder.h"

namespace q7::recording {
namespace {

constexpr std::chrono::milliseconds kFrameWait{100};  // how soon a stop or a re-fit is noticed

std::int64_t TicksPerSecond() {
  LARGE_INTEGER frequency{};
  ::QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart;
}

}  // namespace

Recorder::Recorder(const FrameExchange& frames, RecorderSettings settings)
    : frames_(frames), settings_(std::move(settings)) {
  settings_.encoders = std::clamp(settings_.encoders, 1, 2);
  settings_.framesInFlight = std::max<std::size_t>(settings_.framesInFlight, 1);
}

Recorder::~Recorder() { Stop(); }

HRESULT Recorder::Start() {
  // The generation first: a re-fit after it ends the recording at its first frame, where one
  // between the two reads would have frames of the new size recorded under the old.
  generation_ = frames_.Generation();
  const FrameSize size = frames_.Size();
  if (writer_ || size.width <= 0 || size.height <= 0) return E_UNEXPECTED;
  const std::uint64_t seen = frames_.NewestNumber();
  writer_ =
      std::make_unique<AviWriter>(settings_.path, size.width, size.height, settings_.framesPerSecond, settings_.file);
  const HRESULT hr = writer_->Open();
  {
    std::lock_guard lock(statusMutex_);
    status_.path = writer_->Path();
    status_.error = hr;
    status_.recording = SUCCEEDED(hr);
  }
  if (FAILED(hr)) return hr;
  slots_ = std::make_unique<FrameSlots>(TicksPerSecond(), settings_.framesPerSecond);
  fileFrameRate_ = settings_.framesPerSecond;
  started_ = lastCommit_ = std::chrono::steady_clock::now();
  // The first frame recorded is the first one published after this.
  feeder_ = std::thread([this, seen] { Feed(seen); });
  return S_OK;
}

void Recorder::RequestStop() { End(RecordingEnd::Stopped); }

void Recorder::EndBecause(RecordingEnd why) { End(why); }

void Recorder::Stop() {
  RequestStop();
  if (feeder_.joinable()) feeder_.join();
}

void Recorder::End(RecordingEnd end, HRESULT error) {
  {
    std::lock_guard lock(mutex_);
    // A failed write outweighs the reason the recording was ending for (a stop, a re-fit):
    // the file may lack its last frames, and the user must not read "saved".
    if (end_ == RecordingEnd::None || (end == RecordingEnd::WriteFailed && !writeFailed_)) {
      end_ = end;
      error_ = error;
    }
    stopping_ = true;
    if (end == RecordingEnd::WriteFailed) writeFailed_ = true;
  }
  roomFreed_.notify_all();
  jobsReady_.notify_all();
}

void Recorder::Feed(std::uint64_t seen) noexcept {
  std::vector<std::thread> encoders;
  try {
    for (int i = 0; i < settings_.encoders; ++i) encoders.emplace_back([this] { Encode(); });
    std::uint64_t sequence = 0;
    for (;;) {
      {
        std::unique_lock lock(mutex_);
        roomFreed_.wait(lock, [&] { return stopping_ || inFlight_ < settings_.framesInFlight; });
        if (stopping_) break;
      }
      FrameExchange::Lease frame = frames_.WaitForNewer(seen, kFrameWait);
      if (frames_.Generation() != generation_ || (frame && frame.Generation() != generation_)) {
        const FrameSize size = frames_.Size();
        End(size.width > 0 ? RecordingEnd::SizeChanged : RecordingEnd::CameraGone);
        break;
      }
      if (!frame) continue;
      seen = frame.Stamp().number;
      const std::uint64_t slot = slots_->Place(frame.Stamp().number, frame.Stamp().capturedAt);
      fileFrameRate_ = slots_->FramesPerSecond();
      {
        std::lock_guard lock(mutex_);
        jobs_.push_back({std::move(frame), sequence++, slot});
        ++inFlight_;
      }
      jobsReady_.notify_one();
    }
  } catch (const std::exception&) {
    End(RecordingEnd::WriteFailed, E_OUTOFMEMORY);  // a thread or a queue entry could not be had
  }
  {
    std::lock_guard lock(mutex_);
    feederDone_ = true;
  }
  jobsReady_.notify_all();
  for (std::thread& encoder : encoders) encoder.join();

  bool failed = false;
  {
    std::lock_guard lock(mutex_);
    failed = writeFailed_;
  }
  if (!failed) {
    writer_->SetFrameRate(fileFrameRate_);
    const HRESULT hr = writer_->Close();
    if (FAILED(hr)) End(RecordingEnd::WriteFailed, hr);
  }
  {
    std::lock_guard lock(mutex_);
    std::lock_guard statusLock(statusMutex_);
    status_.end = end_;
    status_.error = end_ == RecordingEnd::WriteFailed ? error_ : S_OK;
  }
  UpdateStatus(false);
  {
    std::lock_guard statusLock(statusMutex_);
    status_.recording = false;
  }
  if (settings_.ended) settings_.ended();
}

void Recorder::Encode() noexcept {
  imaging::JpegEncoder encoder;
  std::vector<std::uint8_t> jpeg;
  const imaging::JpegSettings quality{settings_.jpegQuality, settings_.chroma};
  for (;;) {
    Job job;
    bool failed = false;  // after a failed write the frames in hand are only given back
    {
      std::unique_lock lock(mutex_);
      jobsReady_.wait(lock, [&] { return !jobs_.empty() || feederDone_; });
      if (jobs_.empty()) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
      failed = writeFailed_;
    }
    bool encoded = false;
    if (!failed) {
      const FrameBlock& block = job.frame.Block();
      try {
        encoded =
            SUCCEEDED(settings_.encode ? settings_.encode(block, jpeg)
                                       : encoder.Encode({block.Pixels(), block.Width(), block.Height(), block.Stride()},
                                                        quality, jpeg));
      } catch (const std::exception&) {
        encoded = false;  // no memory for the output: the frame is written as dropped
      }
    }
    job.frame.Reset();
    bool write = false;
    {
      std::unique_lock lock(mutex_);
      --inFlight_;
      roomFreed_.notify_one();
      turn_.wait(lock, [&] { return nextToWrite_ == job.sequence; });
      write = !writeFailed_;
    }
    if (write) Write(job.slot, encoded ? &jpeg : nullptr);
    {
      std::lock_guard lock(mutex_);
      ++nextToWrite_;
    }
    turn_.notify_all();
  }
}

void Recorder::Write(std::uint64_t slot, const std::vector<std::uint8_t>* jpeg) {
  HRESULT hr = S_OK;
  std::uint64_t repeats = 0;
  while (nextSlot_ < slot && SUCCEEDED(hr = writer_->WriteFrame({}))) {
    ++nextSlot_;
    ++repeats;
  }
  bool written = false;
  if (SUCCEEDED(hr)) {
    hr = writer_->WriteFrame(jpeg ? std::span<const std::uint8_t>(*jpeg) : std::span<const std::uint8_t>());
    written = SUCCEEDED(hr);
    nextSlot_ = slot + 1;
  }
  {
    std::lock_guard lock(statusMutex_);
    status_.dropped += repeats + (written && !jpeg ? 1 : 0);
    if (written && jpeg) ++status_.frames;
  }
  bool committed = false;
  const auto now = std::chrono::steady_clock::now();
  if (SUCCEEDED(hr) && now - lastCommit_ >= settings_.commitEvery) {
    writer_->SetFrameRate(fileFrameRate_);
    hr = writer_->Commit();
    committed = true;
  }
  if (FAILED(hr)) End(RecordingEnd::WriteFailed, hr);
  UpdateStatus(committed);
}

void Recorder::UpdateStatus(bool committed) {
  const auto now = std::chrono::steady_clock::now();
  std::lock_guard lock(statusMutex_);
  status_.elapsedSeconds = std::chrono::duration<double>(now - started_).count();
  status_.bytes = writer_->Bytes();
  status_.path = writer_->Path();
  if (committed) {
    const double seconds = std::chrono::duration<double>(now - lastCommit_).count();
    if (seconds > 0) status_.framesPerSecond = static_cast<double>(status_.frames - framesAtCommit_) / seconds;
    framesAtCommit_ = status_.frames;
    lastCommit_ = now;
  }
}

RecordingStatus Recorder::Status() const {
  std::lock_guard lock(statusMutex_);
  return status_;
}

}  // namespace q7::recording
