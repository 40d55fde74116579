#pragma once
// The state every subsystem shares: one instance, owned by the application object and
// handed by reference to the windows, the camera session and the threads that need it.
// Values read by other threads without a lock are atomics, so each read sees a whole value.
#include <windows.h>

#include <atomic>

#include "app/frame_buffer.h"

class CCamera;
class CFloaterDlg;
class CQ7Fullview;

struct AppState {
  static constexpr double kMinScale = 10.0;
  static constexpr double kMaxScale = 300.0;
  static constexpr double kScaleStep = 10.0;

  HMODULE resourceLibrary = nullptr;  // not owned: the application object loads and frees it
  FrameBuffer frameBuffer;
  std::atomic<double> displayScale{100.0};  // percent
  std::atomic<int> panX{0};
  std::atomic<int> panY{0};
  std::atomic<int> frameReady{0};      // result of the hand-off thread's last grab
  CFloaterDlg* videoWindow = nullptr;  // not owned
  CQ7Fullview* fullView = nullptr;     // not owned
  int monitorCount = 1;
  int virtualScreenWidth = 0;
  int virtualScreenHeight = 0;
  std::atomic<int> docked{0};  // the video window sits against the panel
  CCamera* camera = nullptr;   // not owned: the one camera session
};
