#pragma once
// The link watcher: a thread of the camera session that looks at the camera once a second,
// and at once when acquisition reports that frames stopped. Between looks it waits on its
// stop event and the session's wake event, so it costs nothing while nothing happens.
#include <windows.h>

#include "framework/handles.h"

class CCamera;

class LinkWatchThread {
 public:
  // `wake` (not owned, auto-reset) cuts the wait for the next look short.
  LinkWatchThread(CCamera& camera, HANDLE wake) noexcept;
  ~LinkWatchThread() { Stop(); }
  LinkWatchThread(const LinkWatchThread&) = delete;
  LinkWatchThread& operator=(const LinkWatchThread&) = delete;

  bool Start() noexcept;  // false when it already runs or cannot be created
  void Stop() noexcept;   // sets the stop event and waits for the thread's end

 private:
  static DWORD WINAPI Entry(LPVOID self) noexcept;
  void Run() noexcept;

  CCamera& camera_;              // not owned
  HANDLE wake_;                  // not owned: the session's
  fw::UniqueKernelHandle stop_;  // manual-reset
  fw::UniqueKernelHandle thread_;
};
