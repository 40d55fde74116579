#pragma once
// CHoverButton: an owner-drawn push button whose face is one of four pictures cut from a
// horizontal strip (normal, hover, pressed, disabled). It lights up while the pointer rests on
// it, shows the hand cursor and carries a tooltip.
#include <windows.h>

#include "framework/controls.h"
#include "framework/handles.h"
#include "skin/bitmap_info.h"

class CHoverButton : public CBitmapButton {
 public:
  CHoverButton() noexcept = default;
  // The tooltip's window and the strip go with their owners below.
  ~CHoverButton() override = default;

  // Takes ownership of `strip` and sizes the button to one of its four states. FALSE when the
  // strip is null or cannot be queried; the button then draws nothing.
  BOOL SetStateBitmap(fw::UniqueBitmap strip);
  // Sets the tooltip's text (one tool covering the button) and switches the tooltip on or
  // off; a null text changes nothing.
  void SetTooltipText(const wchar_t* text, BOOL activate = TRUE);

  // With TRUE, a quick second click is a click of its own, for commands that make sense again
  // at once (a zoom step); by default it stays the system's double click, which the owner may
  // ignore, so a hasty double click does not act twice.
  void SetEveryClickCounts(BOOL counts) noexcept { everyClickCounts_ = counts; }
  BOOL EveryClickCounts() const noexcept { return everyClickCounts_; }

  BOOL PreTranslateMessage(MSG* msg) override;

  BOOL IsHovering() const noexcept { return hover_; }
  SIZE GetStateSize() const noexcept { return {stateWidth_, stateHeight_}; }
  // The tooltip control; it has no window until first needed.
  const CToolTipCtrl& GetToolTip() const noexcept { return tooltip_; }

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void DrawItem(DRAWITEMSTRUCT* dis) override;

  virtual void OnMouseMove(UINT flags, POINT pt);
  virtual void OnMouseHover(UINT flags, POINT pt);
  virtual void OnMouseLeave();

 private:
  void EnsureToolTip();

  BOOL hover_ = FALSE;
  int stateWidth_ = 0;
  int stateHeight_ = 0;
  skin::SizedBitmap strip_;
  BOOL tracking_ = FALSE;
  BOOL everyClickCounts_ = FALSE;
  CToolTipCtrl tooltip_;
};
