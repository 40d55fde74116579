#pragma once
// The link watcher: a thread of the camera session that has the session look at the camera
// once a second, and at once when woken (acquisition reports that frames stopped). Between
// looks it waits on its stop and wake events, so it costs nothing while nothing happens.
#include <windows.h>

#include <functional>

#include "framework/handles.h"

class LinkWatch {
 public:
  // `look` runs on the watcher's thread for every look.
  explicit LinkWatch(std::function<void()> look) noexcept;
  ~LinkWatch() { Stop(); }
  LinkWatch(const LinkWatch&) = delete;
  LinkWatch& operator=(const LinkWatch&) = delete;

  bool Start() noexcept;  // false when it already runs or cannot be created
  void Stop() noexcept;   // sets the stop event and waits for the thread's end
  bool IsRunning() const noexcept { return static_cast<bool>(thread_); }
  // Has the watcher look at once; from any thread.
  void Wake() noexcept;

 private:
  static DWORD WINAPI Entry(LPVOID self) noexcept;
  void Run() noexcept;

  const std::function<void()> look_;
  fw::UniqueKernelHandle stop_;  // manual-reset
  fw::UniqueKernelHandle wake_;  // auto-reset
  fw::UniqueKernelHandle thread_;
};
