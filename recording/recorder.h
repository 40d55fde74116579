#pragma once
// Recorder: records the frames a FrameExchange publishes into an MJPEG AVI file (AviWriter),
// off the user-interface and render threads:
// - its feeder thread waits for each new frame and pins it with a lease, at most
//   `framesInFlight` at a time (frames published meanwhile are missed, and show as dropped);
// - 1 or 2 encoder threads turn the frames into JPEG, each with a compressor of its own, give
//   the frames back and write them to the file in the order they came, with a repeat (an
//   empty chunk) for every slot of the time line a frame skipped (recording/frame_slots.h);
//   about once a second the file is committed, so a crash loses at most the last second;
// - a re-fit (another picture size), a camera that goes away or a failed write ends the
//   recording by itself with the file closed as playable as it can be; `ended` is told.
// Status() can be asked from any thread at any time.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "imaging/jpeg_encoder.h"
#include "recording/avi_writer.h"
#include "recording/frame_slots.h"
#include "recording/recording_status.h"
#include "state/frame_exchange.h"

namespace q7::recording {

struct RecorderSettings {
  std::wstring path;  // the first file; never replaced
  int jpegQuality = 90;
  // Colour at full resolution: a recording is a measurement's record, and the thin coloured
  // lines of a test chart lose 5 to 15 dB at half (4:2:0), for a third less encoding time.
  imaging::ChromaSubsampling chroma = imaging::ChromaSubsampling::Full;
  int encoders = 2;            // 1 or 2 threads
  double framesPerSecond = 0;  // the camera's rate as set; 0: learnt from the frames
  std::size_t framesInFlight = 8;
  std::chrono::milliseconds commitEvery{1000};
  AviWriterOptions file;
  // Turns a frame into a JPEG file, on the encoder threads (called by one thread at a time per
  // thread); the default is libjpeg-turbo at `jpegQuality`. Benchmarks put WIC's in its place.
  std::function<HRESULT(const FrameBlock& frame, std::vector<std::uint8_t>& jpeg)> encode;
  // Called once, from a recorder thread, when the recording has ended and its file is closed
  // (also after Stop). It must not call Stop or destroy the recorder itself: post a message.
  std::function<void()> ended;
};

class Recorder {
 public:
  // `frames` must outlive the recorder.
  Recorder(const FrameExchange& frames, RecorderSettings settings);
  ~Recorder();  // Stop()
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  // Creates the file for the current picture's size and starts recording from the next new
  // frame. E_UNEXPECTED without a picture (or when started before); the file's error otherwise.
  HRESULT Start();
  // Asks the recording to end: the frames in hand are written, then the file is closed.
  void RequestStop();
  // RequestStop, then waits until the file is closed.
  void Stop();
  // Ends the recording for a reason found outside it (a camera unplugged, whose frames simply
  // stop): as RequestStop, but the status tells `why`.
  void EndBecause(RecordingEnd why);

  RecordingStatus Status() const;

 private:
  struct Job {
    FrameExchange::Lease frame;
    std::uint64_t sequence = 0;
    std::uint64_t slot = 0;
  };

  void Feed(std::uint64_t seen) noexcept;
  void Encode() noexcept;
  // On the encoder whose turn it is: the repeats before `slot`, then the picture.
  void Write(std::uint64_t slot, const std::vector<std::uint8_t>* jpeg);
  void End(RecordingEnd end, HRESULT error = S_OK);
  void UpdateStatus(bool committed);

  const FrameExchange& frames_;
  RecorderSettings settings_;
  std::uint64_t generation_ = 0;
  std::unique_ptr<AviWriter> writer_;     // used by the encoder whose turn it is, then by the feeder
  std::unique_ptr<FrameSlots> slots_;     // the feeder's
  std::atomic<double> fileFrameRate_{0};  // the slots' rate, for the header

  mutable std::mutex mutex_;  // guards everything down to end_
  std::condition_variable jobsReady_;
  std::condition_variable roomFreed_;
  std::condition_variable turn_;
  std::deque<Job> jobs_;
  std::size_t inFlight_ = 0;  // frames leased: queued or being encoded
  std::uint64_t nextToWrite_ = 0;
  bool stopping_ = false;
  bool feederDone_ = false;
  bool writeFailed_ = false;
  RecordingEnd end_ = RecordingEnd::None;
  HRESULT error_ = S_OK;

  // Only the encoder whose turn it is writes these.
  std::uint64_t nextSlot_ = 0;
  std::chrono::steady_clock::time_point lastCommit_;
  std::uint64_t framesAtCommit_ = 0;

  mutable std::mutex statusMutex_;  // guards status_
  RecordingStatus status_;
  std::chrono::steady_clock::time_point started_;

  std::thread feeder_;  // starts and joins the encoder threads
};

}  // namespace q7::recording
