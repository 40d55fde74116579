// Notices raised on a worker thread show on the window's own thread, owned by that window,
// and the worker never waits for the user.
#include "framework/notice_board.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "framework/handles.h"

namespace {

constexpr UINT kNoticeMessage = WM_APP + 7;

// A plain top-level window whose procedure hands the board's message to the board.
CNoticeBoard* g_board = nullptr;
LRESULT CALLBACK BoardWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kNoticeMessage && g_board) {
    g_board->ShowQueued();
    return 0;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

TEST(NoticeBoard, AWorkersNoticeShowsOnTheWindowsThreadOwnedByTheWindow) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = BoardWindowProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"NoticeBoardTestWindow";
  ::RegisterClassW(&wc);
  fw::UniqueWindow window(::CreateWindowExW(0, wc.lpszClassName, L"board", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                            200, 100, nullptr, nullptr, wc.hInstance, nullptr));
  ASSERT_TRUE(window);
  CNoticeBoard board(kNoticeMessage);
  g_board = &board;
  board.Attach(window.get());

  std::atomic<bool> workerReturned{false};
  std::thread worker([&] {
    board.Notify(L"Can't find camera.", L"NoticeBoardTest", MB_OK);
    workerReturned = true;  // queued, not shown: the worker goes on at once
  });
  worker.join();
  EXPECT_TRUE(workerReturned);

  // Closes the box once it is up, noting who owns it and which thread shows it.
  std::atomic<HWND> owner{nullptr};
  std::atomic<DWORD> boxThread{0};
  std::thread closer([&] {
    for (int i = 0; i < 500; ++i) {
      if (HWND box = ::FindWindowW(L"#32770", L"NoticeBoardTest")) {
        owner = ::GetWindow(box, GW_OWNER);
        boxThread = ::GetWindowThreadProcessId(box, nullptr);
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        return;
      }
      ::Sleep(20);
    }
  });
  MSG msg;
  while (!boxThread && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
    if (msg.message == kNoticeMessage) break;  // ShowQueued returned: the box was closed
  }
  closer.join();
  EXPECT_EQ(owner.load(), window.get());
  EXPECT_EQ(boxThread.load(), ::GetCurrentThreadId());
  g_board = nullptr;
}

// A notice raised while the window has a modal dialog open belongs to that dialog, so the box
// comes up over the dialog and leaves the other windows where they are.
TEST(NoticeBoard, ANoticeDuringAModalDialogIsOwnedByTheDialog) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = ::DefWindowProcW;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"NoticeBoardOwnerWindow";
  ::RegisterClassW(&wc);
  fw::UniqueWindow window(::CreateWindowExW(0, wc.lpszClassName, L"panel", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                            200, 100, nullptr, nullptr, wc.hInstance, nullptr));
  fw::UniqueWindow dialog(::CreateWindowExW(0, wc.lpszClassName, L"dialog", WS_POPUP | WS_VISIBLE, 40, 40, 100, 60,
                                            window.get(), nullptr, wc.hInstance, nullptr));
  ASSERT_TRUE(window && dialog);
  ::SetActiveWindow(dialog.get());
  ::EnableWindow(window.get(), FALSE);  // as a modal loop leaves its owner
  CNoticeBoard board(kNoticeMessage);
  board.Attach(window.get());

  std::atomic<HWND> owner{nullptr};
  std::thread closer([&] {
    for (int i = 0; i < 500; ++i) {
      if (HWND box = ::FindWindowW(L"#32770", L"NoticeBoardDialogTest")) {
        owner = ::GetWindow(box, GW_OWNER);
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        return;
      }
      ::Sleep(20);
    }
  });
  board.Notify(L"The camera refused a gain of 5 dB.", L"NoticeBoardDialogTest", MB_OK);  // on this thread: now
  closer.join();
  EXPECT_EQ(owner.load(), dialog.get());
  ::EnableWindow(window.get(), TRUE);
}

}  // namespace
