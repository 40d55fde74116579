#pragma once
// The link to the camera: whether one is there, and what the session does when one appears,
// goes away or comes back. The session's link watcher looks once a second (and at once when
// acquisition reports that frames stopped); NextLinkStep decides what each look leads to.
#include <windows.h>

#include <functional>

// What the watcher tells whoever shows the camera's state; called on the watcher's thread.
enum class CameraLinkEvent : int {
  Opened = 1,   // a camera appeared after the session had found none, and is open and set up
  Lost,         // the open camera went away or stopped sending frames
  Waiting,      // still lost some seconds later: the session waits for it to come back
  Reconnected,  // the lost camera is back, open again, with every setting written again
};
using CameraLinkListener = std::function<void(CameraLinkEvent)>;

enum class LinkState {
  Closed,     // no session: before Open, after Close
  Waiting,    // the session found no camera (or could not open it) and looks for one
  Connected,  // the camera is open
  Lost,       // the open camera went away; the lost session stays until it is back
};

enum class LinkStep {
  None,
  Open,        // a camera is there: open it as at start
  MarkLost,    // the camera went away: say so, keep the last picture
  SayWaiting,  // the loss has lasted: say that the camera is awaited
  Reopen,      // the lost camera is back: close the lost session, open it again
};

// One look at the link.
struct LinkLook {
  LinkState state = LinkState::Closed;
  bool cameraPresent = false;  // device 0 is listed and plugged in
  bool framesStopped = false;  // acquisition reported no frame within its wait
  bool waitingShown = false;   // SayWaiting already happened since the loss
  ULONGLONG msSinceLost = 0;   // for the Lost state
};

// How often the watcher looks at the device list.
inline constexpr DWORD kLinkLookIntervalMs = 1000;
// How long the loss message stands before the status says that the camera is awaited.
inline constexpr ULONGLONG kWaitingNoticeAfterMs = 3000;

LinkStep NextLinkStep(const LinkLook& look) noexcept;
