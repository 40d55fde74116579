#pragma once
// The About box: the About picture, centred on the screen's left half (or right half), closed
// by releasing the left button anywhere on it or by Escape.
#include "skin/bitmap_skin_dlg.h"
#include "state/app_state.h"

class CAboutDlg : public CBitmapSkinDlg {
 public:
  explicit CAboutDlg(const AppState& state) noexcept;

 protected:
  BOOL OnInitDialog() override;
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  const AppState& state_;  // not owned
};
