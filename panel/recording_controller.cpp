#include "panel/recording_controller.h"

#include "framework/system_message.h"
#include "framework/win_app.h"
#include "panel/folder_browser.h"
#include "panel/jpeg_quality.h"
#include "panel/panel_message_box.h"
#include "panel/recording_choices.h"
#include "resources/resource_ids.h"
#include "state/stored_switch.h"

namespace {

namespace recording = q7::recording;

constexpr UINT kStatusMs = 250;

}  // namespace

RecordingController::RecordingController(HWND panel, HWND statusLine, AppState& state, Options options)
    : panel_(panel),
      statusLine_(statusLine),
      state_(state),
      options_(std::move(options)),
      folder_(LoadRecordingFolder()) {
  if (!options_.askForFolder)
    options_.askForFolder = [panel](const std::wstring& current) {
      return BrowseForFolder(panel, L"Folder for recordings", current);
    };
  if (!options_.tellUser) {
    options_.tellUser = [panel](const std::wstring& text) { TellUserOverPanel(panel, text); };
  }
}

RecordingController::~RecordingController() { Shutdown(); }

void RecordingController::Toggle(bool playing) {
  if (recorder_) {
    recorder_->RequestStop();  // WM_RECORDING_ENDED follows once the frames in hand are written
  } else if (playing) {
    Start();
  }
}

void RecordingController::Start() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  std::wstring folder = folder_;
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  recording::RecorderSettings settings;
  settings.path = folder + RecordingFileName(now);
  settings.jpegQuality = LoadJpegQuality();
  settings.file = options_.file;
  if (LoadSwitch(kRecordingSplitValue) && settings.file.fileBytes == 0) settings.file.fileBytes = kFat32FileBytes;
  settings.ended = [panel = panel_] { ::PostMessageW(panel, WM_RECORDING_ENDED, 0, 0); };
  auto recorder = std::make_unique<recording::Recorder>(state_.frames, std::move(settings));
  if (const HRESULT hr = recorder->Start(); FAILED(hr)) {
    options_.tellUser(L"The recording could not be started in \"" + folder_ + L"\".\n" +
                      (hr == E_UNEXPECTED ? L"There is no picture yet." : SystemMessage(static_cast<DWORD>(hr))));
    return;
  }
  recorder_ = std::move(recorder);
  state_.recording.seconds = 0.0;
  state_.recording.framesPerSecond = 0.0;
  state_.recording.on = true;
  ::SetTimer(panel_, kRecordingStatusTimer, kStatusMs, nullptr);
  ShowStatus();
}

void RecordingController::ShowStatus() {
  if (!recorder_) return;
  // An unplugged camera only stops sending frames: the recording ends with what it has.
  if (state_.noSignal) recorder_->EndBecause(recording::RecordingEnd::CameraGone);
  const recording::RecordingStatus status = recorder_->Status();
  state_.recording.seconds = status.elapsedSeconds;
  state_.recording.framesPerSecond = status.framesPerSecond;
  ::SetWindowTextW(statusLine_, recording::FormatRecordingStatus(status).c_str());
}

void RecordingController::OnEnded() {
  if (!recorder_) return;
  recorder_->Stop();  // its threads are ending already: this only joins them
  ShowStatus();
  const recording::RecordingStatus status = recorder_->Status();
  recorder_.reset();
  ::KillTimer(panel_, kRecordingStatusTimer);
  state_.recording.on = false;
  state_.redraw.Notify();  // the red dot goes
  if (const std::wstring why = recording::RecordingEndText(status); !why.empty()) {
    ::SetWindowTextW(statusLine_, why.substr(0, why.find(L'\n')).c_str());
    options_.tellUser(why);
  } else {
    const std::wstring name = status.path.substr(status.path.find_last_of(L'\\') + 1);
    ::SetWindowTextW(statusLine_, (L"Recording saved: " + name).c_str());
  }
}

bool RecordingController::OnMenuCommand(UINT id, bool playing) {
  switch (id) {
    case kMenuRecord: Toggle(playing); return true;
    case kMenuRecordingFolder: OnChooseFolder(); return true;
    case kMenuRecordingSplit: StoreSwitch(kRecordingSplitValue, !LoadSwitch(kRecordingSplitValue)); return true;
    default: return false;
  }
}

void RecordingController::OnChooseFolder() {
  if (recorder_) return;
  const std::optional<std::wstring> folder = options_.askForFolder(folder_);
  if (!folder) return;
  folder_ = *folder;
  if (const LONG result = StoreRecordingFolder(folder_); result != ERROR_SUCCESS)
    options_.tellUser(L"The recording folder could not be kept for next time.\n" + SystemMessage(result));
}

void RecordingController::AddMenuItems(std::vector<MenuItem>& items, bool playing) const {
  const HMODULE library = state_.resourceLibrary;
  items.push_back({kMenuRecord, LoadResourceString(IDS_MENU_RECORD, library), Recording(), Recording() || playing});
  items.push_back({kMenuRecordingFolder, LoadResourceString(IDS_MENU_RECORDING_FOLDER, library), false, !Recording()});
  items.push_back({kMenuRecordingSplit, LoadResourceString(IDS_MENU_RECORDING_SPLIT, library),
                   LoadSwitch(kRecordingSplitValue), !Recording()});
}

bool RecordingController::OnMessage(UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_RECORDING_ENDED: OnEnded(); return true;
    case WM_TIMER:
      if (wp != kRecordingStatusTimer) return false;
      ShowStatus();
      return true;
    default: return false;
  }
}

void RecordingController::Shutdown() {
  if (!recorder_) return;
  recorder_->Stop();
  recorder_.reset();
  ::KillTimer(panel_, kRecordingStatusTimer);
  state_.recording.on = false;
}
