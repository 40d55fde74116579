#include "panel/correction_controller.h"

#include <cstdio>
#include <iterator>

#include "framework/win_app.h"
#include "panel/panel_message_box.h"
#include "panel/take_correction_dlg.h"
#include "resources/resource_ids.h"

using q7::imaging::CorrectionKind;
using q7::imaging::CorrectionReport;

namespace {

constexpr int kLengths[] = {0, 2, 4, 8, 16, 32};  // the averaging's choices, from kMenuAveragingOff on

std::wstring KindText(CorrectionKind kind) { return q7::imaging::CorrectionKindName(kind); }

std::wstring Capitalised(std::wstring text) {
  if (!text.empty()) text[0] = static_cast<wchar_t>(::towupper(text[0]));
  return text;
}

}  // namespace

std::wstring TakingText(CorrectionKind kind, int frames) {
  return L"Taking " + KindText(kind) + L"\u2026 " + std::to_wstring(frames) + L" / " +
         std::to_wstring(q7::imaging::FrameCorrector::kTakeFrames);
}

CorrectionController::CorrectionController(HWND panel, HWND statusLine, HMODULE library, AppState& state,
                                           q7::imaging::FrameCorrector& corrector, Options options)
    : panel_(panel),
      statusLine_(statusLine),
      library_(library),
      state_(state),
      corrector_(corrector),
      options_(std::move(options)) {
  if (!options_.confirmTake) {
    options_.confirmTake = [library, panel](CorrectionKind kind) {
      return ConfirmTake(kind, library, CWnd::FromHandlePermanent(panel));
    };
  }
  if (!options_.tellUser) {
    options_.tellUser = [panel](const std::wstring& text) { TellUserOverPanel(panel, text); };
  }
  corrector_.SetListener([this] {
    if (!newsPosted_.exchange(true)) ::PostMessageW(panel_, WM_CORRECTION_NEWS, 0, 0);
  });
  OnNews();  // what is on already, and what was reported before the panel was there
}

CorrectionController::~CorrectionController() { corrector_.SetListener(nullptr); }

void CorrectionController::AddMenuItems(std::vector<MenuItem>& items, bool playing) const {
  const q7::imaging::CorrectionStatus status = corrector_.Status();
  const bool canTake = playing && !status.taking;
  items.push_back({kMenuTakeDark, LoadResourceString(IDS_MENU_TAKE_DARK, library_), false, canTake});
  items.push_back({kMenuTakeFlat, LoadResourceString(IDS_MENU_TAKE_FLAT, library_), false, canTake});
  items.push_back({kMenuCorrection, LoadResourceString(IDS_MENU_CORRECTION, library_), status.correctionOn});
  MenuItem averaging{0, LoadResourceString(IDS_MENU_AVERAGING, library_)};
  const std::wstring frames = LoadResourceString(IDS_MENU_AVERAGING_FRAMES, library_);
  for (std::size_t i = 0; i < std::size(kLengths); ++i) {
    wchar_t text[64] = L"";
    if (i == 0) {
      std::swprintf(text, std::size(text), L"%ls", LoadResourceString(IDS_MENU_AVERAGING_OFF, library_).c_str());
    } else {
      std::swprintf(text, std::size(text), frames.c_str(), kLengths[i]);
    }
    averaging.submenu.push_back({kMenuAveragingOff + static_cast<UINT>(i), text, status.averaging == kLengths[i]});
  }
  items.push_back(std::move(averaging));
}

bool CorrectionController::OnMenuCommand(UINT id) {
  switch (id) {
    case kMenuTakeDark: StartTake(CorrectionKind::Dark); return true;
    case kMenuTakeFlat: StartTake(CorrectionKind::Flat); return true;
    case kMenuCorrection: corrector_.SetCorrectionOn(!corrector_.CorrectionOn()); return true;
    default: break;
  }
  if (id < kMenuAveragingOff || id >= kMenuAveragingOff + std::size(kLengths)) return false;
  corrector_.SetAveraging(kLengths[id - kMenuAveragingOff]);
  return true;
}

bool CorrectionController::OnMessage(UINT msg, WPARAM, LPARAM) {
  if (msg != WM_CORRECTION_NEWS) return false;
  OnNews();
  return true;
}

void CorrectionController::CameraStopped() { corrector_.CancelTake(L"the camera was stopped before its frames came"); }

void CorrectionController::StartTake(CorrectionKind kind) {
  if (!options_.confirmTake(kind)) return;
  if (corrector_.Take(kind)) Show(TakingText(kind, 0));
}

void CorrectionController::OnNews() {
  newsPosted_ = false;  // before reading: news after this point posts again
  const q7::imaging::CorrectionStatus status = corrector_.Status();
  if (state_.live.correction.Set(q7::imaging::CorrectionInfoText(status))) state_.redraw.Notify();
  if (status.taking && status.takenFrames != shownProgress_) {
    shownProgress_ = status.takenFrames;
    Show(TakingText(*status.taking, status.takenFrames));
  }
  if (!status.taking) shownProgress_ = -1;
  for (const CorrectionReport& report : corrector_.TakeReports()) {
    switch (report.kind) {
      case CorrectionReport::Kind::Taken: Show(report.text); break;
      case CorrectionReport::Kind::NotTaken:
        Show(Capitalised(KindText(report.what)) + L" not taken.");
        options_.tellUser(report.text);
        break;
      case CorrectionReport::Kind::StoreProblem: options_.tellUser(report.text); break;
    }
  }
}

void CorrectionController::Show(const std::wstring& text) const {
  ::SetWindowTextW(statusLine_, text.substr(0, 255).c_str());
}
