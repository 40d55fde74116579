#include "panel/snapshot_controller.h"

#include <algorithm>
#include <new>
#include <utility>

#include "framework/file_dialog.h"
#include "framework/win_app.h"
#include "panel/jpeg_quality.h"
#include "panel/jpeg_quality_dlg.h"
#include "panel/panel_message_box.h"
#include "panel/panel_messages.h"
#include "panel/series_dlg.h"
#include "panel/snapshot_texts.h"
#include "resources/resource_ids.h"

namespace {

constexpr UINT kIndicatorMs = 200;
// Another text in the line (a zoom, a success) stays this many ticks before the saving text
// comes back.
constexpr int kHoldTicks = 8;

std::optional<std::wstring> AskInSaveDialog() {
  CFileDialog dialog(FALSE, kSnapshotDefaultExtension, L"", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kSnapshotFilter);
  if (dialog.DoModal() != IDOK) return std::nullopt;
  return dialog.GetPathName();
}

std::wstring WindowText(HWND window) {
  wchar_t text[256] = L"";
  ::GetWindowTextW(window, text, 256);
  return text;
}

}  // namespace

SnapshotController::SnapshotController(HWND panel, HWND statusLine, HMODULE library, const FrameExchange& frames,
                                       Options options)
    : panel_(panel),
      statusLine_(statusLine),
      library_(library),
      frames_(frames),
      options_(std::move(options)),
      jpegQuality_(LoadJpegQuality()),
      worker_(panel, options_.save) {
  if (!options_.askForPath) options_.askForPath = AskInSaveDialog;
  if (!options_.askForSeries) options_.askForSeries = [] { return AskForSeries(nullptr); };
  if (!options_.askForJpegQuality) options_.askForJpegQuality = [] { return AskForJpegQuality(nullptr); };
  if (!options_.tellUser) {
    options_.tellUser = [panel](const std::wstring& text) { TellUserOverPanel(panel, text); };
  }
}

SnapshotController::~SnapshotController() { Shutdown(); }

void SnapshotController::OnSnapshot() {
  if (closing_) return;
  if (worker_.SnapshotsInHand() >= SnapshotWorker::kSnapshotLimit) {
    Show(SnapshotRefusedText(SnapshotWorker::kSnapshotLimit - 1));
    return;
  }
  const std::optional<std::wstring> path = options_.askForPath();
  if (!path) return;
  std::vector<std::uint8_t> frame;
  try {
    frame = frames_.CopyBlock();
  } catch (const std::bad_alloc&) {
    options_.tellUser(SnapshotFailure(*path, L"There was not enough memory.").error);
    return;
  }
  // The dialog ran a while: the queue may have filled, or a close begun, meanwhile.
  switch (worker_.Submit(std::move(frame), *path, jpegQuality_, BurnInOfNow())) {
    case SnapshotWorker::Accepted::Yes: break;
    case SnapshotWorker::Accepted::Full: Show(SnapshotRefusedText(SnapshotWorker::kSnapshotLimit - 1)); return;
    case SnapshotWorker::Accepted::Finishing:
      options_.tellUser(SnapshotFailure(*path, L"The program is closing.").error);
      return;
  }
  holdTicks_ = 0;
  ShowSaving();
  UpdateIndicatorTimer();
}

bool SnapshotController::OnMenuCommand(UINT id) {
  switch (id) {
    case kMenuCaptureSeries: OnCaptureSeries(); return true;
    case kMenuStopSeries: StopSeries(); return true;
    case kMenuJpegQuality:
      if (const std::optional<int> quality = options_.askForJpegQuality()) jpegQuality_ = *quality;
      return true;
    default: return false;
  }
}

void SnapshotController::AddMenuItems(std::vector<MenuItem>& items, bool playing) const {
  const bool running = worker_.SeriesRunning();
  items.push_back({kMenuCaptureSeries, LoadResourceString(IDS_MENU_CAPTURE_SERIES, library_), false,
                   playing && !running && !closing_});
  if (running) items.push_back({kMenuStopSeries, LoadResourceString(IDS_MENU_STOP_SERIES, library_)});
  items.push_back({kMenuJpegQuality, LoadResourceString(IDS_MENU_JPEG_QUALITY, library_), false, !closing_});
}

void SnapshotController::StopSeries() { worker_.StopSeries(); }

void SnapshotController::CameraGone() { worker_.StopSeries(SeriesEnd::CameraGone); }

bool SnapshotController::HoldClose(UINT command) {
  if (worker_.Idle()) return false;
  closing_ = true;
  heldClose_ = command;
  worker_.StopSeries();
  Show(ClosingAfterSavingText());
  return true;
}

bool SnapshotController::OnMessage(UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_SNAPSHOT_PROGRESS: OnProgress(static_cast<int>(wp)); return true;
    case WM_SNAPSHOT_REPORT: OnReports(); return true;
    case WM_TIMER:
      if (wp != kSnapshotIndicatorTimer) return false;
      OnIndicatorTimer();
      return true;
    default: return false;
  }
}

void SnapshotController::Shutdown() {
  closing_ = true;
  heldClose_ = 0;  // the panel is going anyway
  worker_.Finish();
  OnReports();
}

void SnapshotController::OnCaptureSeries() {
  if (closing_ || worker_.SeriesRunning()) return;
  const std::optional<SeriesChoices> choices = options_.askForSeries();
  if (!choices) return;
  SeriesPlan plan = PlanSeries(*choices);
  plan.jpegQuality = jpegQuality_;
  // The worker copies each picture at its time, through a lease like a snapshot, and burns
  // in what is measured then.
  SnapshotWorker::Prepare burnIn;
  if (options_.burnIn) {
    burnIn = [source = options_.burnIn](std::vector<std::uint8_t>& frame) {
      const std::optional<BurnIn> now = source();
      return now ? BurnIntoFrame(frame, *now) : std::wstring();
    };
  }
  if (worker_.StartSeries(
          plan, [&frames = frames_] { return frames.CopyBlock(); }, std::move(burnIn)))
    Show(SeriesText(0, plan.count, 0));
}

SnapshotWorker::Prepare SnapshotController::BurnInOfNow() const {
  std::optional<BurnIn> now = options_.burnIn ? options_.burnIn() : std::nullopt;
  if (!now) return {};
  return [burnIn = std::move(*now)](std::vector<std::uint8_t>& frame) { return BurnIntoFrame(frame, burnIn); };
}

void SnapshotController::OnReports() {
  for (const SnapshotReport& report : worker_.TakeReports()) OnReport(report);
  UpdateIndicatorTimer();
  if (heldClose_ != 0 && worker_.Idle()) {
    ::PostMessageW(panel_, WM_COMMAND, MAKEWPARAM(std::exchange(heldClose_, 0), 0), 0);
  }
}

void SnapshotController::OnReport(const SnapshotReport& report) {
  switch (report.kind) {
    case SnapshotReport::Kind::Snapshot:
      percent_.reset();
      if (report.outcome.saved) {
        Show(LoadResourceString(IDS_SNAPSHOT_SUCCESS, library_).substr(0, 255));
      } else {
        Show(SnapshotNotSavedText());
        options_.tellUser(report.outcome.error);
      }
      holdTicks_ = kHoldTicks;
      break;
    case SnapshotReport::Kind::SeriesPicture:
      // Snapshots being saved keep the line; the series shows again after them.
      if (worker_.SnapshotsInHand() == 0)
        Show(SeriesText(report.series.saved, report.series.count, report.series.skipped));
      break;
    case SnapshotReport::Kind::SeriesEnded:
      Show(SeriesEndText(report.end, report.series.saved, report.series.skipped));
      holdTicks_ = kHoldTicks;
      if (report.end == SeriesEnd::Failed) options_.tellUser(SeriesFailedMessage(report.outcome.error));
      break;
  }
}

void SnapshotController::OnProgress(int percent) {
  // Shown at the indicator's next tick, so an encoder's hundred reports do not flood the line.
  percent_ = std::max(percent_.value_or(0), percent);
}

void SnapshotController::OnIndicatorTimer() {
  const std::wstring shown = WindowText(statusLine_);
  if (shown != ownText_ && shown != foreignText_) {
    // Someone else's text (a zoom, the camera): it stays a while.
    foreignText_ = shown;
    holdTicks_ = kHoldTicks;
  }
  if (holdTicks_ > 0) {
    --holdTicks_;
    return;
  }
  ++indicatorStep_;
  ShowSaving();
}

void SnapshotController::ShowSaving() {
  const std::size_t inHand = worker_.SnapshotsInHand();
  if (inHand == 0) return;
  Show(SavingSnapshotText(percent_, indicatorStep_, inHand - 1));
}

void SnapshotController::Show(const std::wstring& text) {
  // While a close waits, the line says so and nothing else.
  ownText_ = closing_ ? ClosingAfterSavingText() : text;
  ::SetWindowTextW(statusLine_, ownText_.c_str());
}

void SnapshotController::UpdateIndicatorTimer() {
  const bool needed = !closing_ && worker_.SnapshotsInHand() > 0;
  if (needed && !timerRunning_) {
    timerRunning_ = ::SetTimer(panel_, kSnapshotIndicatorTimer, kIndicatorMs, nullptr) != 0;
  } else if (!needed && timerRunning_) {
    ::KillTimer(panel_, kSnapshotIndicatorTimer);
    timerRunning_ = false;
  }
}
