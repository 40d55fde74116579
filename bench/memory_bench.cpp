// Memory over time on the capture path, as a long session uses it: the simulated camera at
// 30 frames/s into the frame buffer, a snapshot's copy of the frame and an encoder's scratch
// buffers every second, a re-fit every 2 s, and, in the second run, a new resolution every 2 s.
// Prints, every 10 s, the process's private memory and the blocks of 1 MB and more alive (every
// `new` of the program, the SDK's included, counted here), so a leak (blocks that stay) can be
// told from the heap's handling of large blocks (memory that stays while the blocks go).
//
//   memory_bench [SECONDS per run, default 90]
#include <windows.h>
#include <psapi.h>

#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

#include "camera/camera.h"
#include "state/app_state.h"

namespace {

constexpr std::size_t kLarge = 1 << 20;
std::atomic<long> g_largeBlocks{0};
std::atomic<long long> g_largeBytes{0};

void* Allocate(std::size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  if (size >= kLarge) {
    ++g_largeBlocks;
    g_largeBytes += static_cast<long long>(size);
  }
  return p;
}

void Release(void* p) noexcept {
  if (!p) return;
  const std::size_t size = _msize(p);
  if (size >= kLarge) {
    --g_largeBlocks;
    g_largeBytes -= static_cast<long long>(size);
  }
  std::free(p);
}

double PrivateMb() {
  PROCESS_MEMORY_COUNTERS_EX m{};
  m.cb = sizeof m;
  ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m);
  // Wine gives its resident private memory as the page-file use and leaves PrivateUsage at 0.
  return static_cast<double>(m.PrivateUsage ? m.PrivateUsage : m.PagefileUsage) / (1024.0 * 1024.0);
}

void Run(const char* name, bool changeResolution, int seconds) {
  AppState state;
  CCamera camera(state, [](const std::wstring&, const std::wstring&, UINT) {});
  if (!camera.Open() || !camera.StartCapture()) {
    std::printf("%s: the camera did not start\n", name);
    return;
  }
  PropertyRecord full = camera.CurrentRecord();
  full.resolutionIndex = 0;
  camera.ApplyProperties(full, false);
  std::mt19937 random(7);
  std::printf(
      "\n%s\n\n| s | private MB | blocks of 1 MB and more alive | their MB | frame exchange's blocks | resolution "
      "|\n|--:|--:|--:|--:|--:|---|\n",
      name);
  for (int tick = 0; tick <= seconds; ++tick) {
    {
      // A snapshot: the frame copied whole, and an encoder's scratch buffers of various sizes.
      const std::vector<std::uint8_t> copy = state.frames.CopyBlock();
      std::vector<std::vector<std::uint8_t>> scratch;
      for (int i = 0; i < 3; ++i) scratch.emplace_back(std::uniform_int_distribution<std::size_t>(1, 6)(random) << 20);
    }
    if (tick % 2 == 0) {
      if (changeResolution) {
        PropertyRecord r = camera.CurrentRecord();
        r.resolutionIndex = std::uniform_int_distribution<int>(0, kResolutionCount - 1)(random);
        camera.ApplyProperties(r, false);
      } else {
        camera.FitFrameBuffer();
      }
    }
    if (tick % 10 == 0) {
      const FrameSize size = state.frames.Size();
      std::printf("| %d | %.1f | %ld | %.1f | %zu | %dx%d |\n", tick, PrivateMb(), g_largeBlocks.load(),
                  static_cast<double>(g_largeBytes.load()) / (1024.0 * 1024.0), state.frames.BlocksAlive(), size.width,
                  size.height);
      std::fflush(stdout);
    }
    ::Sleep(1000);
  }
  camera.Close();
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::max(10, std::atoi(argv[1])) : 90;
  ::SetEnvironmentVariableW(L"Q7SIM_FPS", L"30");
  std::printf(
      "Memory on the capture path, 30 frames/s, a snapshot's copy every second (private MB: under Wine, "
      "resident private memory)\n");
  Run("2592x1944 throughout, re-fitted every 2 s", false, seconds);
  Run("a new resolution every 2 s", true, seconds);
  Run("2592x1944 throughout again", false, seconds);
  return 0;
}
