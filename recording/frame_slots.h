#pragma once
// Where each frame belongs in a recording's time line. The camera's next frame takes the next
// place (slot); after frames the recording did not keep up with (missed numbers), each takes a
// slot, or more when the capture time says more of the camera's frame periods (learnt from
// frames that follow each other directly) have passed. Slots a frame skips are written as repeats and counted as
// dropped, so time in the file stays true.
#include <cstdint>

namespace q7::recording {

class FrameSlots {
 public:
  // `ticksPerSecond`: of the capture times (QueryPerformanceFrequency); `framesPerSecond`:
  // the camera's rate as set, the period to start from (0: learnt from the frames alone).
  FrameSlots(std::int64_t ticksPerSecond, double framesPerSecond);

  // The slot of the next frame, numbered above the last one (the exchange's numbering). The
  // first frame takes slot 0; a frame late from the camera, or after a pause, the next slot (a
  // pause of more than two seconds is left out of the rate too).
  std::uint64_t Place(std::uint64_t number, std::int64_t capturedAt);

  // Slots per second of capture time so far (what the header should say); the rate set until
  // two frames have come.
  double FramesPerSecond() const;

 private:
  const double ticksPerSecond_;
  double period_;  // ticks per frame, 0 until known
  bool started_ = false;
  std::uint64_t lastNumber_ = 0;
  std::int64_t lastCapture_ = 0;
  std::uint64_t lastSlot_ = 0;
  double recordedTicks_ = 0;  // capture time covered, pauses left out
};

}  // namespace q7::recording
