#pragma once
// What the drawing benchmarks share: the median time of a piece of work, CPU time, and a
// plain visible window to draw into.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "framework/handles.h"

namespace bench {

// Median over `runs` runs of `work` after one warm-up run, in milliseconds; GDI's batch is
// flushed inside each run.
double MedianMs(int runs, const std::function<void()>& work);

// Medians of several pieces of work measured in turns (one run of each, `runs` times), so
// that a change in the machine's load falls on all of them alike.
std::vector<double> MediansInTurnsMs(int runs, const std::vector<std::function<void()>>& works);

// CPU time used so far, in seconds: by `thread` (0 without one) and by the whole process.
struct CpuSample {
  double thread = 0, process = 0;
};
CpuSample SampleCpu(HANDLE thread);

// A visible pop-up window of `width` x `height` at the screen's top-left corner.
fw::UniqueWindow MakeWindow(int width, int height);

// Dispatches this thread's messages for `ms` milliseconds, sleeping while none come (the
// benchmark's own waiting must not cost CPU).
void Pump(DWORD ms);

// Reads one rectangle of the screen into 32-bit pixels (0x00RRGGBB), again and again.
class ScreenArea {
 public:
  explicit ScreenArea(const RECT& area);
  // Reads the screen now; the pixels stay valid until the next read.
  const std::uint32_t* Read();
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  RECT area_;
  int width_, height_;
  fw::ScopedWindowDc screen_;
  fw::UniqueMemoryDc dc_;
  void* bits_ = nullptr;  // owned by bitmap_; set as it is made, so declared before it
  fw::UniqueBitmap bitmap_;
  fw::ScopedSelectObject select_;
};

// A picture view to measure: its name in the table, its size and the display scale.
struct ViewCase {
  const char* name;
  int width, height;
  double scale;
};

}  // namespace bench
