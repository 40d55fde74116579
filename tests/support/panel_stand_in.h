#pragma once
// A plain window in the control panel's place, with its status line and the resource library,
// for testing the panel's controllers on their own: each message goes to the handler first.
#include <windows.h>

#include <functional>
#include <string>

#include "framework/handles.h"

namespace testing_support {

class PanelStandIn {
 public:
  // Returns true when it took the message.
  using Handler = std::function<bool(UINT, WPARAM, LPARAM)>;

  explicit PanelStandIn(Handler handler);
  PanelStandIn(const PanelStandIn&) = delete;
  PanelStandIn& operator=(const PanelStandIn&) = delete;

  // False when the resource library or a window could not be made.
  bool Ok() const { return library_ && window_ && status_; }
  HWND Window() const { return window_.get(); }
  HWND StatusLine() const { return status_; }  // a child of Window()
  HMODULE Resources() const { return library_.get(); }
  std::wstring Status() const;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  Handler handler_;
  fw::UniqueModule library_;
  fw::UniqueWindow window_;
  HWND status_ = nullptr;
};

}  // namespace testing_support
