#include "framework/file_dialog.h"

#include <commctrl.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/win_app.h"
#include "framework/wnd.h"

namespace {

using namespace std::string_literals;

// The snapshot's filter: its longest extension, ".WBMP", is what the dialog keeps room for.
constexpr wchar_t kFilter[] =
    L"Bitmap File (*.BMP) |*.BMP|JPEG (*.JPG;*.JPEG;*.JPE)|*.JPG;*.JPEG;*.JPE|WBMP (*.WBMP)|*.WBMP|";

TEST(FileDialogFilter, BarsBecomeSeparatorsWithADoubleTerminator) {
  const std::wstring converted = ConvertDialogFilter(L"Bitmap File (*.BMP) |*.BMP|PNG (*.PNG)|*.PNG|");
  const std::wstring expected = L"Bitmap File (*.BMP) \0*.BMP\0PNG (*.PNG)\0*.PNG\0\0"s;
  EXPECT_EQ(converted, expected);
}

TEST(FileDialogFilter, ExtensionIsTakenFromTheFileNameOnly) {
  EXPECT_EQ(FileExtensionOf(L"C:\\shots\\a.jpg"), L"jpg");
  EXPECT_EQ(FileExtensionOf(L"C:\\shots\\a.tar.JPEG"), L"JPEG");
  EXPECT_EQ(FileExtensionOf(L"C:\\my.folder\\noext"), L"");
  EXPECT_EQ(FileExtensionOf(L"C:\\shots\\trailing."), L"");
}

TEST(FileDialogNames, NameLimitKeepsThePathWithinMaxPath) {
  EXPECT_EQ(LongestFilterExtension(ConvertDialogFilter(kFilter)), 5u);
  EXPECT_EQ(LongestFilterExtension(ConvertDialogFilter(L"All files|*.*|")), 0u);
  const std::wstring folder(31, L'f');
  const int limit = NameLimit(folder.size(), 5);
  EXPECT_EQ(limit, 259 - 31 - 1 - 5);
  EXPECT_EQ(ChosenPathLength(folder, std::wstring(limit, L'a'), 5), kMaxFullPathLength);
  EXPECT_GT(ChosenPathLength(folder, std::wstring(limit + 1, L'a'), 5), kMaxFullPathLength);
  EXPECT_EQ(NameLimit(300, 5), 1);  // a folder that leaves no room still takes a character
  // A full path stands alone; one from the drive's root takes the drive from the folder.
  EXPECT_EQ(ChosenPathLength(folder, L"D:\\shots\\a.bmp", 0), 14u);
  EXPECT_EQ(ChosenPathLength(folder, L"\\\\server\\a.bmp", 0), 14u);
  EXPECT_EQ(ChosenPathLength(folder, L"\\shots\\a.bmp", 0), 14u);
  EXPECT_EQ(ChosenPathLength(folder, L"shots\\a.bmp", 5), 31u + 1 + 11 + 5);
}

// Runs a modal dialog's script from a timer: each step is tried at every tick until it
// reports done; when the steps are used up the dialog is cancelled, so a test cannot hang.
class ModalScript {
 public:
  using Step = std::function<bool()>;
  explicit ModalScript(std::vector<Step> steps) : steps_(std::move(steps)) {
    current_ = this;
    timer_ = ::SetTimer(nullptr, 0, 50, &ModalScript::Tick);
  }
  ~ModalScript() {
    ::KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;
  std::size_t StepsDone() const { return next_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ModalScript* self = current_;
    if (!self) return;
    if (self->next_ < self->steps_.size()) {
      if (self->steps_[self->next_]()) ++self->next_;
      if (++self->ticks_ < 400) return;  // 20 s at most
    }
    for (HWND w : ThreadDialogs()) ::PostMessageW(w, WM_COMMAND, IDCANCEL, 0);
  }

 public:
  // The shown dialog windows of this thread: the file dialog and any message box over it.
  static std::vector<HWND> ThreadDialogs() {
    std::vector<HWND> found;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND w, LPARAM list) {
          wchar_t name[16] = L"";
          ::GetClassNameW(w, name, 16);
          if (std::wstring(name) == L"#32770" && ::IsWindowVisible(w))
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
  }

 private:
  static inline ModalScript* current_ = nullptr;
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  int ticks_ = 0;
  UINT_PTR timer_ = 0;
};

HWND FileDialogWindow() {
  for (HWND w : ModalScript::ThreadDialogs()) {
    if (::GetDlgItem(w, cmb13) || ::GetDlgItem(w, edt1)) return w;
  }
  return nullptr;
}

HWND NameBox(HWND dialog) {
  HWND box = ::GetDlgItem(dialog, cmb13);
  if (auto edit = reinterpret_cast<HWND>(::SendMessageW(box, CBEM_GETEDITCONTROL, 0, 0))) return edit;
  return box ? box : ::GetDlgItem(dialog, edt1);
}

// A message box of this thread whose text contains `part`; its text goes to `text`.
HWND MessageBoxWith(const std::wstring& part, std::wstring& text) {
  for (HWND w : ModalScript::ThreadDialogs()) {
    wchar_t shown[1024] = L"";
    ::GetDlgItemTextW(w, 0xFFFF, shown, 1024);
    if (std::wstring(shown).find(part) != std::wstring::npos) {
      text = shown;
      return w;
    }
  }
  return nullptr;
}

void TypeKeys(const std::wstring& keys) {
  std::vector<INPUT> input;
  for (wchar_t key : keys) {
    INPUT down{};
    down.type = INPUT_KEYBOARD;
    down.ki.wVk = key;
    INPUT up = down;
    up.ki.dwFlags = KEYEVENTF_KEYUP;
    input.push_back(down);
    input.push_back(up);
  }
  ::SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}

class FileDialogNameLength : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t here[MAX_PATH] = L"";
    ::GetCurrentDirectoryW(MAX_PATH, here);
    folder_ = here;
    dialog_.m_ofn.lpstrInitialDir = folder_.c_str();
  }
  std::wstring folder_;
  CFileDialog dialog_{FALSE, L"Capture File", L"", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kFilter};
};

// Typed a key at a time, a 250-character name stops where the path would outgrow MAX_PATH
// (the common dialog overruns its buffer beyond that and takes the program down), and the
// name that fits is saved with the filter's extension.
TEST_F(FileDialogNameLength, TypedLongNameStopsWhereItFitsAndIsChosen) {
  ModalScript script({[] {
    HWND dialog = FileDialogWindow();
    if (!dialog) return false;
    ::SetForegroundWindow(dialog);
    ::SetFocus(NameBox(dialog));
    TypeKeys(std::wstring(250, L'A') + L"\r");
    return true;
  }});
  ASSERT_EQ(dialog_.DoModal(), IDOK);
  const std::wstring path = dialog_.GetPathName();
  EXPECT_LE(path.size(), kMaxFullPathLength);
  const std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
  EXPECT_EQ(name.find_first_not_of(L"aA"), static_cast<std::size_t>(NameLimit(folder_.size(), 5))) << name.c_str();
  EXPECT_EQ(_wcsicmp(dialog_.GetFileExt().c_str(), L"BMP"), 0) << path.c_str();
}

// A name that got into the box whole (pasted, or typed before moving to a deeper folder) is
// refused with a message on OK, and the dialog stays for a shorter one.
TEST_F(FileDialogNameLength, LongerNameIsRefusedWithAMessageAndTheDialogStays) {
  std::wstring told;
  bool stayed = false;
  ModalScript script({
      [] {
        HWND dialog = FileDialogWindow();
        if (!dialog) return false;
        ::SendMessageW(NameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(std::wstring(300, L'b').c_str()));
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return true;
      },
      [&] {
        HWND box = MessageBoxWith(L"too long", told);
        if (box) ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        return box != nullptr;
      },
      [&] {
        if (!MessageBoxWith(L"too long", told)) stayed = FileDialogWindow() != nullptr;
        return stayed;
      },
  });
  EXPECT_EQ(dialog_.DoModal(), IDCANCEL);
  EXPECT_EQ(script.StepsDone(), 3u);
  EXPECT_TRUE(stayed);
  EXPECT_NE(told.find(std::to_wstring(folder_.size() + 1 + 300 + 5) + L" characters"), std::wstring::npos)
      << told.c_str();
  EXPECT_EQ(dialog_.GetPathName(), L"");
}

// The save dialog ends with IDOK and hands back the chosen path; driven by closing it
// from a timer, as a user pressing Cancel would. Given no parent, the main window owns it
// (and cannot be used meanwhile).
TEST(FileDialogRun, CancelGivesNoPathAndTheMainWindowOwnsTheDialog) {
  struct MainWindow : CWnd {
    bool Make() {
      return Attach(::CreateWindowExW(0, L"STATIC", L"main", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                                      nullptr, nullptr),
                    true);
    }
  };
  CWinApp app;
  MainWindow main;
  ASSERT_TRUE(main.Make());
  app.m_pMainWnd = &main;
  static HWND owner;
  owner = nullptr;
  CFileDialog dialog(FALSE, L"Capture File", L"", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, L"BMP|*.BMP|");
  ::SetTimer(nullptr, 1, 300, [](HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = ::GetActiveWindow();
    if (!box) return;
    ::KillTimer(nullptr, id);
    owner = ::GetWindow(box, GW_OWNER);
    ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.GetPathName(), L"");
  EXPECT_EQ(owner, main.m_hWnd);
  app.m_pMainWnd = nullptr;
}

}  // namespace
