#include "tools/soak/soak_user.h"

#include <commctrl.h>

#include <array>
#include <string_view>
#include <thread>

#include "framework/handles.h"
#include "panel/control_panel_dlg.h"
#include "panel/property_controls.h"
#include "panel/snapshot.h"
#include "state/live_info.h"
#include "state/measuring.h"

namespace soak {
namespace {

using namespace std::chrono_literals;
using e2e::WaitUntil;
using testing_support::ClassName;
using testing_support::WindowText;

constexpr wchar_t kPropertyTitle[] = L"TK Lumora-Q7 Property";
constexpr wchar_t kSeriesTitle[] = L"Capture series";

void SendMouse(DWORD flags, LONG wheel = 0) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  input.mi.mouseData = static_cast<DWORD>(wheel);
  ::SendInput(1, &input, sizeof input);
}

// Presses `down` at `from`, moves to `to` in steps and lets go.
void Drag(POINT from, POINT to, DWORD down, DWORD up) {
  ::SetCursorPos(from.x, from.y);
  std::this_thread::sleep_for(50ms);
  SendMouse(down);
  constexpr int kSteps = 8;
  for (int i = 1; i <= kSteps; ++i) {
    ::SetCursorPos(from.x + (to.x - from.x) * i / kSteps, from.y + (to.y - from.y) * i / kSteps);
    std::this_thread::sleep_for(25ms);
  }
  SendMouse(up);
  std::this_thread::sleep_for(50ms);
}

POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// Sends without waiting for ever: the program may be busy or hung.
LRESULT SendBounded(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  DWORD_PTR result = 0;
  ::SendMessageTimeoutW(window, message, wp, lp, SMTO_ABORTIFHUNG, 5000, &result);
  return static_cast<LRESULT>(result);
}

std::string Describe(const char* what, const std::wstring& detail) { return std::string(what) + Narrow(detail); }

}  // namespace

SoakUser::SoakUser(e2e::ViewerSession& session, unsigned seed, ActionLog& log, std::wstring outputFolder)
    : session_(session), random_(seed), log_(log), outputFolder_(std::move(outputFolder)) {
  ::CreateDirectoryW(outputFolder_.c_str(), nullptr);
}

const std::vector<SoakUser::Choice>& SoakUser::Choices() {
  static const std::vector<Choice> choices = {{
      {"play or stop", &SoakUser::TogglePlay, 6},
      {"zoom", &SoakUser::Zoom, 10},
      {"pan", &SoakUser::Pan, 8},
      {"live-information key", &SoakUser::LiveInformationKey, 8},
      {"full screen", &SoakUser::FullScreen, 5},
      {"property dialog", &SoakUser::PropertyDialog, 9},
      {"snapshot", &SoakUser::Snapshot, 5},
      {"timed series", &SoakUser::TimedSeries, 2},
      {"About box", &SoakUser::AboutBox, 2},
      {"recording", &SoakUser::Recording, 2},
      // Parts of the above, for the probe only.
      {"property dialog: a resolution only", &SoakUser::ResolutionOnly, 0},
      {"property dialog: opened and closed", &SoakUser::DialogOnly, 0},
  }};
  return choices;
}

std::size_t SoakUser::ActionKinds() { return Choices().size(); }
const char* SoakUser::ActionName(std::size_t kind) { return Choices()[kind].name; }
std::string SoakUser::Act(std::size_t kind) { return (this->*Choices()[kind].action)(); }

std::string SoakUser::ActAtRandom() {
  int total = 0;
  for (const Choice& c : Choices()) total += c.weight;
  int pick = Uniform(0, total - 1);
  for (const Choice& c : Choices()) {
    if (pick < c.weight) return (this->*c.action)();
    pick -= c.weight;
  }
  return {};
}

std::chrono::milliseconds SoakUser::Pause() { return std::chrono::milliseconds(Uniform(200, 1500)); }

bool SoakUser::FullScreenShown() const {
  const RECT screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  for (HWND w : session_.Program().TopLevelWindows()) {
    RECT r{};
    ::GetWindowRect(w, &r);
    if (w != session_.Panel() && w != session_.Video() && ::EqualRect(&r, &screen)) return true;
  }
  return false;
}

std::string SoakUser::State() const {
  std::string state = session_.IsEnabled(IDC_STOP)   ? "playing"
                      : session_.IsEnabled(IDC_PLAY) ? "stopped"
                                                     : "camera away";
  if (FullScreenShown()) state += ", full screen";
  return state;
}

HWND SoakUser::PictureTarget() const {
  if (FullScreenShown()) {
    const RECT screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    for (HWND w : session_.Program().TopLevelWindows()) {
      RECT r{};
      ::GetWindowRect(w, &r);
      if (w != session_.Panel() && w != session_.Video() && ::EqualRect(&r, &screen)) return w;
    }
  }
  return session_.Video();
}

RECT SoakUser::PictureArea() const {
  if (!FullScreenShown()) return session_.PictureRect();
  const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
  return {w / 3, h / 3, 2 * w / 3, 2 * h / 3};  // the middle ninth: the panel sits in a corner
}

bool SoakUser::PictureMoves(std::chrono::milliseconds within) const {
  const RECT area = PictureArea();
  const testing_support::ScreenPixels first = testing_support::CaptureScreen(area);
  return WaitUntil(
      [&] { return testing_support::DifferingShare(first, testing_support::CaptureScreen(area)) > 0.0005; }, within);
}

std::optional<bool> SoakUser::PictureLive() {
  if (!Playing()) return std::nullopt;
  if (PictureMoves(3s)) return true;
  // At a high zoom the view may hold a still part of the chart: look at the whole picture.
  for (int i = 0; i < 30 && session_.IsEnabled(IDC_ZOOM_OUT); ++i) {
    session_.Click(IDC_ZOOM_OUT);
    std::this_thread::sleep_for(50ms);
  }
  log_.Write("zoomed out to see whether the picture moves");
  return Playing() ? std::optional<bool>(PictureMoves(5s)) : std::nullopt;
}

bool SoakUser::EnsurePlaying() {
  if (Playing()) return true;
  if (!WaitUntil([&] { return session_.IsEnabled(IDC_PLAY) || Playing(); }, 20s)) return false;
  if (!Playing()) session_.Click(IDC_PLAY);
  return WaitUntil([&] { return Playing(); }, 10s);
}

// ---------------------------------------------------------------------------------------
// The actions

std::string SoakUser::TogglePlay() {
  if (Playing()) {
    session_.Click(IDC_STOP);
    return "Stop";
  }
  if (!session_.IsEnabled(IDC_PLAY)) return "Play (waiting: the camera is away)";
  session_.Click(IDC_PLAY);
  return "Play";
}

std::string SoakUser::Zoom() {
  const bool in = Uniform(0, 1) == 1;
  const int steps = Uniform(1, 4);
  for (int i = 0; i < steps; ++i) {
    const int button = in ? IDC_ZOOM_IN : IDC_ZOOM_OUT;
    if (!session_.IsEnabled(button)) break;
    session_.Click(button);
    std::this_thread::sleep_for(100ms);
  }
  return std::string(in ? "Zoom In" : "Zoom Out") + " x" + std::to_string(steps);
}

std::string SoakUser::Pan() {
  const bool full = FullScreenShown();
  const RECT area = full ? PictureArea() : session_.PictureRect();
  const POINT from = Centre(area);
  const POINT to{from.x + Uniform(-150, 150), from.y + Uniform(-100, 100)};
  // The video window pans with the right button, full screen with the left.
  if (full) {
    Drag(from, to, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  } else {
    Drag(from, to, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  }
  return full ? "pan in full screen" : "pan in the video window";
}

std::string SoakUser::LiveInformationKey() {
  // The live-information views and the measuring overlays (the measuring tool stays off: it
  // would turn the panning drags into measurements).
  static constexpr char kKeys[] = {'I', 'H', 'F', 'S', 'C', 'G'};
  const char key = kKeys[Uniform(0, static_cast<int>(std::size(kKeys)) - 1)];
  ::PostMessageW(PictureTarget(), WM_KEYDOWN, static_cast<WPARAM>(key), 1);
  return std::string("key ") + key;
}

std::string SoakUser::FullScreen() {
  if (!session_.IsEnabled(IDC_FULL_SCREEN)) return "full screen (not offered now)";
  session_.Click(IDC_FULL_SCREEN);
  if (!WaitUntil([&] { return FullScreenShown(); }, 10s)) return "full screen: the viewer did not appear";
  std::string done = "full screen:";
  for (int i = Uniform(1, 4); i > 0; --i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(Uniform(200, 1200)));
    switch (Uniform(0, 3)) {
      case 0: {
        ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2);
        const LONG wheel = Uniform(0, 1) ? WHEEL_DELTA : -WHEEL_DELTA;
        SendMouse(MOUSEEVENTF_WHEEL, wheel);
        done += wheel > 0 ? " wheel up" : " wheel down";
        break;
      }
      case 1:
        ::PostMessageW(PictureTarget(), WM_KEYDOWN, Uniform(0, 1) ? VK_ADD : VK_SUBTRACT, 1);
        done += " keypad zoom";
        break;
      case 2: done.append(" ").append(Pan()); break;
      default: done.append(" ").append(LiveInformationKey()); break;
    }
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(Uniform(200, 2000)));
  if (!LeaveFullScreen()) return done + "; it did not leave";
  return done + "; left";
}

bool SoakUser::LeaveFullScreen() {
  switch (Uniform(0, 2)) {
    case 0: ::PostMessageW(PictureTarget(), WM_KEYDOWN, VK_ESCAPE, 0); break;
    case 1: ::PostMessageW(PictureTarget(), WM_KEYDOWN, VK_RETURN, 0); break;
    default: session_.Click(IDC_FULL_SCREEN); break;
  }
  return WaitUntil([&] { return !FullScreenShown(); }, 10s);
}

bool SoakUser::ClickAndFindDialog(int button, const std::wstring& title, HWND& dialog) {
  session_.Click(button);
  dialog = session_.FindOtherWindow([&](HWND w) { return WindowText(w) == title; }, 10s);
  return dialog != nullptr;
}

bool SoakUser::WaitClosed(HWND dialog, std::chrono::milliseconds timeout) {
  return WaitUntil([&] { return !::IsWindow(dialog) || !::IsWindowVisible(dialog); }, timeout);
}

std::string SoakUser::ChangeInPropertyDialog(HWND dialog) {
  const auto click = [&](int id) { ::PostMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); };
  switch (Uniform(0, 5)) {
    case 0:
    case 1: {
      const int index = Uniform(0, kResolutionCount - 1);
      click(kResolutionRadioIds[static_cast<std::size_t>(index)]);
      return " resolution " + std::to_string(kResolutions[index].width) + "x" +
             std::to_string(kResolutions[index].height);
    }
    case 2: click(Uniform(0, 1) ? IDC_FLIP_VERTICAL : IDC_FLIP_HORIZONTAL); return " mirroring";
    case 3: click(IDC_MONO_COLOR); return " mono";
    case 4: {
      // Gains that keep a picture: the soak looks for faults, not for a black screen.
      static constexpr int kSliders[] = {IDC_TOTAL_GAIN_SLIDER, IDC_RED_GAIN_SLIDER, IDC_GREEN_GAIN_SLIDER,
                                         IDC_BLUE_GAIN_SLIDER};
      const int id = kSliders[Uniform(0, 3)];
      const int position = Uniform(600, 1800);
      HWND slider = ::GetDlgItem(dialog, id);
      SendBounded(slider, TBM_SETPOS, TRUE, position);
      ::PostMessageW(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(slider));
      return " white-balance gain " + std::to_string(position);
    }
    default: click(IDC_WHITE_BALANCE); return " one-push white balance";
  }
}

std::string SoakUser::PropertyDialog() {
  if (!session_.IsEnabled(IDC_IMAGE)) return "property dialog (not offered now)";
  HWND dialog = nullptr;
  if (!ClickAndFindDialog(IDC_IMAGE, kPropertyTitle, dialog)) return "property dialog: it did not open";
  std::string done = "property dialog:";
  for (int i = Uniform(1, 4); i > 0; --i) {
    done += ChangeInPropertyDialog(dialog);
    std::this_thread::sleep_for(std::chrono::milliseconds(Uniform(300, 1500)));
  }
  const bool ok = Uniform(0, 9) < 7;
  ::PostMessageW(dialog, WM_COMMAND, ok ? IDOK : IDCANCEL, 0);
  done += ok ? "; OK" : "; Cancel";
  if (!WaitClosed(dialog, 30s)) {
    log_.Tell("the property dialog did not close within 30 s");
    return done + " (it did not close)";
  }
  return done;
}

std::string SoakUser::ResolutionOnly() {
  if (!session_.IsEnabled(IDC_IMAGE)) return "resolution (not offered now)";
  HWND dialog = nullptr;
  if (!ClickAndFindDialog(IDC_IMAGE, kPropertyTitle, dialog)) return "resolution: the dialog did not open";
  const int index = Uniform(0, kResolutionCount - 1);
  ::PostMessageW(::GetDlgItem(dialog, kResolutionRadioIds[static_cast<std::size_t>(index)]), BM_CLICK, 0, 0);
  std::this_thread::sleep_for(500ms);
  ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  WaitClosed(dialog, 30s);
  return "resolution " + std::to_string(index);
}

std::string SoakUser::DialogOnly() {
  if (!session_.IsEnabled(IDC_IMAGE)) return "property dialog (not offered now)";
  HWND dialog = nullptr;
  if (!ClickAndFindDialog(IDC_IMAGE, kPropertyTitle, dialog)) return "property dialog: it did not open";
  std::this_thread::sleep_for(300ms);
  ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  WaitClosed(dialog, 30s);
  return "property dialog opened and closed";
}

std::string SoakUser::Snapshot() {
  if (!session_.IsEnabled(IDC_SNAPSHOT)) return "snapshot (not offered now)";
  const std::vector<SnapshotFormat> formats = SnapshotFormats();
  const SnapshotFormat& format = formats[static_cast<std::size_t>(Uniform(0, static_cast<int>(formats.size()) - 1))];
  session_.Click(IDC_SNAPSHOT);
  HWND dialog = session_.FindOtherWindow(
      [](HWND w) { return ClassName(w) == L"#32770" && (::GetDlgItem(w, 1148) || ::GetDlgItem(w, 1152)); }, 10s);
  if (!dialog) return "snapshot: no save dialog";
  HWND nameBox = ::GetDlgItem(dialog, 1148);  // the file-name combo box
  if (HWND edit = nameBox ? ::FindWindowExW(nameBox, nullptr, L"Edit", nullptr) : nullptr) nameBox = edit;
  if (!nameBox) nameBox = ::GetDlgItem(dialog, 1152);
  const std::wstring name = outputFolder_ + L"\\soak_" + std::to_wstring(++filesWritten_) + L"." + format.extension;
  SendBounded(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
  const bool save = Uniform(0, 9) < 9;
  ::PostMessageW(dialog, WM_COMMAND, save ? IDOK : IDCANCEL, 0);
  if (!WaitClosed(dialog, 15s)) {
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    log_.Tell("the save dialog did not close within 15 s");
  }
  return Describe(save ? "snapshot as " : "snapshot cancelled, ", format.extension);
}

std::string SoakUser::TimedSeries() {
  if (!Playing()) return "timed series (not offered now)";
  RECT panel{};
  ::GetWindowRect(session_.Panel(), &panel);
  ::SetCursorPos(panel.left + 250, panel.top + 140);  // the face, away from every button
  std::this_thread::sleep_for(100ms);
  e2e::RightClick();
  if (!session_.FindOtherWindow([](HWND w) { return ClassName(w) == L"#32768"; }, 5s)) return "timed series: no menu";
  e2e::PressKey('P');  // "Ca&pture series…"
  HWND dialog = session_.FindOtherWindow([](HWND w) { return WindowText(w) == kSeriesTitle; }, 5s);
  if (!dialog) {
    e2e::PressKey(VK_ESCAPE);  // a series already running: the menu offers no new one
    return "timed series: not offered";
  }
  const std::vector<SnapshotFormat> formats = SnapshotFormats();
  const int format = Uniform(0, static_cast<int>(formats.size()) - 1);
  const std::wstring interval = Uniform(0, 1) ? L"0.5" : std::to_wstring(Uniform(1, 2));
  const int count = Uniform(3, 8);
  SendBounded(::GetDlgItem(dialog, IDC_SERIES_FORMAT), CB_SETCURSEL, static_cast<WPARAM>(format), 0);
  SendBounded(::GetDlgItem(dialog, IDC_SERIES_FOLDER), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(outputFolder_.c_str()));
  SendBounded(::GetDlgItem(dialog, IDC_SERIES_INTERVAL), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(interval.c_str()));
  SendBounded(::GetDlgItem(dialog, IDC_SERIES_UNTIL_STOPPED), BM_SETCHECK, BST_UNCHECKED, 0);
  const std::wstring countText = std::to_wstring(count);
  SendBounded(::GetDlgItem(dialog, IDC_SERIES_COUNT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(countText.c_str()));
  SendBounded(::GetDlgItem(dialog, IDC_SERIES_PREFIX), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"series"));
  ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  if (!WaitClosed(dialog, 10s)) {
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    log_.Tell("the series dialog did not close within 10 s");
  }
  return Describe("timed series: ", formats[static_cast<std::size_t>(format)].extension + L", every " + interval +
                                        L" s, " + countText + L" pictures");
}

std::string SoakUser::AboutBox() {
  HWND about = nullptr;
  if (!ClickAndFindDialog(IDC_INFORMATION, L"About", about)) return "About: it did not open";
  std::this_thread::sleep_for(std::chrono::milliseconds(Uniform(200, 1000)));
  ::PostMessageW(about, WM_LBUTTONUP, 0, MAKELPARAM(250, 175));  // a click on the box closes it
  return WaitClosed(about, 10s) ? "About" : "About: it did not close";
}

// R in the picture starts a recording of a few seconds and R again ends it; the file must be
// there and start as an AVI. The camera going away or a re-fit may end it first, with its own text.
std::string SoakUser::Recording() {
  if (!Playing()) return "recording (not offered now)";
  const auto recording = [&] {  // "Recording 00:00:03 · 90 frames · …", not "Recording saved: …"
    const std::wstring status = session_.Status();
    return status.starts_with(L"Recording ") && !status.starts_with(L"Recording saved");
  };
  ::PostMessageW(PictureTarget(), WM_KEYDOWN, 'R', 1);
  if (!WaitUntil(recording, 5s)) return Describe("recording: did not start; status ", session_.Status());
  std::this_thread::sleep_for(std::chrono::seconds(Uniform(2, 6)));
  if (recording()) ::PostMessageW(PictureTarget(), WM_KEYDOWN, 'R', 1);
  if (!WaitUntil([&] { return !recording(); }, 15s)) {
    log_.Tell("a recording did not end within 15 s of R");
    return "recording: did not end";
  }
  const std::wstring status = session_.Status();
  const std::wstring saved = L"Recording saved: ";
  if (!status.starts_with(saved)) return Describe("recording ended: ", status);
  const std::wstring path = outputFolder_ + L"\\" + status.substr(saved.size());
  const fw::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
  char head[12] = {};
  DWORD read = 0;
  if (!file || !::ReadFile(file.get(), head, sizeof head, &read, nullptr) || read != sizeof head ||
      std::string_view(head, 4) != "RIFF" || std::string_view(head + 8, 4) != "AVI ") {
    log_.Tell("a saved recording is missing or not an AVI: " + Narrow(path));
    return Describe("recording: the file is not whole: ", path);
  }
  return Describe("recording saved: ", status.substr(saved.size()));
}

// ---------------------------------------------------------------------------------------
// The settled state

bool SoakUser::ChooseFullResolution() {
  if (!EnsurePlaying()) return false;
  HWND dialog = nullptr;
  if (!ClickAndFindDialog(IDC_IMAGE, kPropertyTitle, dialog)) return false;
  ::PostMessageW(::GetDlgItem(dialog, kResolutionRadioIds[0]), BM_CLICK, 0, 0);
  std::this_thread::sleep_for(500ms);
  ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  return WaitClosed(dialog, 30s);
}

bool SoakUser::Settle() {
  if (FullScreenShown() && !LeaveFullScreen()) return false;
  // Stop ends a series; the snapshots in hand are written first.
  if (Playing()) session_.Click(IDC_STOP);
  const auto busy = [&] {
    const std::wstring status = session_.Status();
    return status.starts_with(L"Saving snapshot") ||
           (status.starts_with(L"Series ") && status.find(L':') == status.npos);
  };
  if (!WaitUntil([&] { return !busy(); }, 120s)) return false;
  LiveInfo views;
  LoadLiveViewChoices(views);
  Measuring overlays;
  LoadMeasureSwitches(overlays);
  for (const auto& [on, key] : {std::pair{views.showInfoLine.load(), 'I'}, std::pair{views.showHistogram.load(), 'H'},
                                std::pair{views.showFocus.load(), 'F'}, std::pair{overlays.scaleBar.load(), 'S'},
                                std::pair{overlays.crosshair.load(), 'C'}, std::pair{overlays.grid.load(), 'G'}})
    if (on) ::PostMessageW(session_.Video(), WM_KEYDOWN, static_cast<WPARAM>(key), 1);
  if (!ChooseFullResolution() || !EnsurePlaying()) return false;
  // Frames flow at full resolution a while, then stop; the re-fit (the program's message for
  // it) leaves the frame exchange one black frame and no spare blocks, however many readers held
  // frames before, so that every settled measurement finds it the same.
  std::this_thread::sleep_for(3s);
  session_.Click(IDC_STOP);
  if (!WaitUntil([&] { return session_.IsEnabled(IDC_PLAY); }, 10s)) return false;
  std::this_thread::sleep_for(1s);
  return SendBounded(session_.Panel(), RefitFrameBufferMessage(), 0, 0) == 1;
}

void SoakUser::DeleteWrittenFiles() const {
  // Files being written have other names (q7*.tmp) until they are whole; a whole one may go.
  for (const wchar_t* pattern : {L"\\soak_*", L"\\series_*", L"\\Q7_*.avi"}) {
    WIN32_FIND_DATAW found{};
    const fw::UniqueFindHandle search(::FindFirstFileW((outputFolder_ + pattern).c_str(), &found));
    if (!search) continue;
    do {
      ::DeleteFileW((outputFolder_ + L"\\" + found.cFileName).c_str());
    } while (::FindNextFileW(search.get(), &found));
  }
}

}  // namespace soak
