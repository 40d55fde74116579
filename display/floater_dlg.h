#pragma once
// CFloaterDlg: the floating video window. A border-skinned tool window holding the picture
// control, kept 5 pixels inside its frame; it is drawn to the screen edges, the monitor
// boundary and the control panel's edges as by a magnet and reports in the shared docked
// flag whether it sits against the panel. The keys that would end a dialog do nothing here.
#include <windows.h>

#include <functional>

#include "display/view_box.h"
#include "skin/border_skin_dlg.h"
#include "state/app_state.h"

namespace q7::imaging {
class FrameCorrector;
}

class CFloaterDlg : public CBorderSkinDlg {
 public:
  static constexpr int kPictureInset = 5;
  static constexpr UINT kRaisePanelMessage = WM_APP + 10;

  explicit CFloaterDlg(AppState& state, CWnd* parent = nullptr) noexcept;

  // The picture control; the panel stops and starts its render thread around full screen.
  CViewBox& ViewBox() noexcept { return m_viewBox; }
  // Puts the panel back above this window on the screen.
  void RaisePanel() const;
  // While set, position changes are taken as they come: the panel sets it around carrying
  // the docked window along with itself.
  void SetSnapSuppressed(BOOL suppressed) noexcept { snapSuppressed_ = suppressed; }
  // The picture correction the key A steps the averaging of; not owned, may be null.
  void SetCorrector(q7::imaging::FrameCorrector* corrector) noexcept { corrector_ = corrector; }

  // Called for the R key, on this thread; empty: the key does nothing.
  void SetRecordKeyHandler(std::function<void()> handler) { recordKey_ = std::move(handler); }

  BOOL PreTranslateMessage(MSG* msg) override;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  void OnSize(UINT type, int cx, int cy) override;
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void OnWindowPosChanging(WINDOWPOS* pos);

  void ApplySkin();

  AppState& state_;
  CViewBox m_viewBox;
  BOOL snapSuppressed_ = FALSE;
  q7::imaging::FrameCorrector* corrector_ = nullptr;  // not owned
  std::function<void()> recordKey_;
};
