// The dialog templates, decoded from the library's raw resources.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/resources/resource_module.h"

namespace {

using q7test::DialogTemplate;

struct ExpectedControl {
  int id;
  const wchar_t* window_class;  // upper case
  const wchar_t* text;          // "#n" for a bitmap id
  short x, y, cx, cy;
  DWORD style;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kHover = kChild | WS_TABSTOP | BS_OWNERDRAW;
constexpr DWORD kLabel = kChild | WS_GROUP | SS_LEFT;
constexpr DWORD kRadio = kChild | BS_AUTORADIOBUTTON;
constexpr DWORD kCheck = kChild | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kNumberEdit = kChild | WS_BORDER | WS_TABSTOP | ES_CENTER | ES_AUTOHSCROLL | ES_NUMBER;
constexpr DWORD kEdit = kChild | WS_BORDER | WS_TABSTOP | ES_CENTER | ES_AUTOHSCROLL;
constexpr DWORD kValue = kEdit | ES_READONLY;
constexpr DWORD kSpin = kChild | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS | UDS_NOTHOUSANDS;
constexpr DWORD kSlider = kChild | WS_TABSTOP | TBS_BOTH | TBS_NOTICKS;
constexpr DWORD kGroup = kChild | BS_GROUPBOX;
constexpr DWORD kPush = kChild | WS_TABSTOP | BS_PUSHBUTTON;

const std::vector<ExpectedControl> kPanelControls = {
    {1000, L"BUTTON", L"_", 259, 7, 15, 14, kHover},
    {1002, L"BUTTON", L"X", 275, 7, 15, 14, kHover},
    {1009, L"BUTTON", L">", 31, 49, 20, 20, kHover},
    {1010, L"BUTTON", L"\x3141", 53, 49, 20, 20, kHover},
    {1011, L"BUTTON", L"O", 75, 49, 20, 20, kHover},
    {1012, L"BUTTON", L"-", 101, 49, 20, 20, kHover},
    {1013, L"BUTTON", L"+", 123, 49, 20, 20, kHover},
    {1014, L"BUTTON", L"F", 149, 49, 20, 20, kHover},
    {1015, L"BUTTON", L"?", 174, 49, 20, 20, kHover},
    {1021, L"STATIC", L"static", 7, 85, 115, 8, kLabel},
    {1016, L"BUTTON", L"RESOLUTION", 38, 23, 107, 20, WS_CHILD | WS_TABSTOP | BS_OWNERDRAW},
    {1017, L"BUTTON", L"IMAGE", 149, 22, 107, 20, kHover},
};

const std::vector<ExpectedControl> kPropertyControls = {
    {1, L"BUTTON", L"OK", 354, 366, 50, 16, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON},
    {2, L"BUTTON", L"Cancel", 410, 366, 50, 16, kPush},
    {-1, L"STATIC", L"#134", 0, 0, 467, 27, kChild | SS_BITMAP | SS_CENTERIMAGE | SS_REALSIZEIMAGE},
    {-1, L"BUTTON", L"\u00A0Exposure\u00A0\u00A0", 6, 81, 455, 53, kGroup},
    {-1, L"BUTTON", L"\u00A0Resolution\u00A0\u00A0", 6, 29, 455, 47, kGroup},
    {1020, L"BUTTON", L"2592 X 1944", 19, 42, 53, 10, kRadio | WS_GROUP},
    {1021, L"BUTTON", L"2320 X 1744", 109, 42, 53, 10, kRadio},
    {1022, L"BUTTON", L"2048 X 1536", 201, 42, 53, 10, kRadio},
    {1023, L"BUTTON", L"1600 X 1200", 389, 42, 53, 10, kRadio},
    {1024, L"BUTTON", L"1280 X 1024", 109, 58, 53, 10, kRadio},
    {1025, L"BUTTON", L"1280 X 960", 201, 58, 49, 10, kRadio},
    {1026, L"BUTTON", L"1024 X 768", 294, 58, 49, 10, kRadio},
    {1027, L"BUTTON", L"640 X 480", 389, 58, 46, 10, kRadio},
    {1028, L"BUTTON", L"1920 X 1080", 294, 42, 53, 10, kRadio},
    {1029, L"BUTTON", L"1408 X 1048", 19, 58, 53, 10, kRadio},
    {1030, L"BUTTON", L"Auto Exposure", 18, 96, 63, 10, kCheck},
    {-1, L"STATIC", L"Minimum Exposure :", 120, 97, 69, 8, kLabel},
    {1031, L"EDIT", L"", 192, 95, 56, 14, kNumberEdit},
    {1032, L"MSCTLS_UPDOWN32", L"", 237, 90, 10, 14, kSpin},
    {-1, L"STATIC", L"Maximum Exposure :", 278, 97, 71, 8, kLabel},
    {1033, L"EDIT", L"", 352, 95, 56, 14, kNumberEdit},
    {1034, L"MSCTLS_UPDOWN32", L"", 398, 88, 10, 14, kSpin},
    {-1, L"STATIC", L"Exposure Value :", 19, 115, 57, 8, kLabel},
    {1035, L"MSCTLS_TRACKBAR32", L"", 76, 114, 331, 13, kSlider},
    {1036, L"EDIT", L"", 412, 113, 40, 14, kValue},
    {-1, L"BUTTON", L"\u00A0Gain\u00A0\u00A0", 6, 140, 455, 159, kGroup},
    {1037, L"BUTTON", L"Auto Gain_dB", 18, 156, 59, 10, kCheck},
    {-1, L"STATIC", L"Minimum Gain_dB :", 120, 157, 65, 8, kLabel},
    {1038, L"EDIT", L"", 192, 155, 56, 14, kEdit},
    {1039, L"MSCTLS_UPDOWN32", L"", 237, 150, 10, 14, kSpin},
    {-1, L"STATIC", L"Maximum Gain_dB :", 278, 157, 67, 8, kLabel},
    {1040, L"EDIT", L"", 352, 155, 56, 14, kEdit},
    {1041, L"MSCTLS_UPDOWN32", L"", 398, 148, 10, 14, kSpin},
    {-1, L"STATIC", L"Gain_dB Value :", 19, 175, 53, 8, kLabel},
    {1042, L"MSCTLS_TRACKBAR32", L"", 76, 174, 331, 13, kSlider},
    {1043, L"EDIT", L"", 412, 173, 40, 14, kValue},
    {-1, L"STATIC", L"", 12, 192, 445, 1, kChild | SS_ETCHEDHORZ},
    {-1, L"STATIC", L"TotalGain :", 18, 205, 36, 8, kLabel},
    {-1, L"STATIC", L"RedGain :", 18, 222, 33, 8, kLabel},
    {-1, L"STATIC", L"GreenGain :", 18, 239, 40, 8, kLabel},
    {-1, L"STATIC", L"BlueGain :", 18, 256, 35, 8, kLabel},
    {1044, L"MSCTLS_TRACKBAR32", L"", 76, 203, 331, 13, kSlider},
    {1045, L"EDIT", L"", 412, 202, 40, 14, kValue},
    {1046, L"MSCTLS_TRACKBAR32", L"", 76, 220, 331, 13, kSlider},
    {1047, L"EDIT", L"", 412, 219, 40, 14, kValue},
    {1048, L"MSCTLS_TRACKBAR32", L"", 76, 238, 331, 13, kSlider},
    {1049, L"EDIT", L"", 412, 236, 40, 14, kValue},
    {1050, L"MSCTLS_TRACKBAR32", L"", 76, 255, 331, 13, kSlider},
    {1051, L"EDIT", L"", 412, 253, 40, 14, kValue},
    {1052, L"BUTTON", L"Auto White Ballance (One Push)", 306, 272, 145, 19, kPush},
    {-1, L"BUTTON", L"\u00A0Image Processing\u00A0\u00A0", 6, 305, 455, 55, kGroup},
    {1053, L"BUTTON", L"Mono Color", 18, 321, 54, 10, kCheck},
    {1055, L"BUTTON", L"Flip Vertical", 132, 321, 54, 10, kCheck},
    {1056, L"BUTTON", L"Flip Horizontal", 247, 321, 62, 10, kCheck},
    {-1, L"STATIC", L"Gain Offset :", 18, 340, 41, 8, kLabel},
    {1057, L"MSCTLS_TRACKBAR32", L"", 76, 338, 331, 13, kSlider},
    {1058, L"EDIT", L"", 412, 336, 40, 14, kValue},
    {3, L"BUTTON", L"Default", 6, 366, 50, 16, kPush},
    {1059, L"BUTTON", L"Save\x2026", 62, 366, 50, 16, kPush},
    {1060, L"BUTTON", L"Load\x2026", 118, 366, 50, 16, kPush},
};

constexpr DWORD kTextEdit = kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;

const std::vector<ExpectedControl> kSeriesControls = {
    {-1, L"STATIC", L"Folder:", 7, 9, 62, 8, kLabel},
    {IDC_SERIES_FOLDER, L"EDIT", L"", 72, 7, 124, 14, kTextEdit},
    {IDC_SERIES_BROWSE, L"BUTTON", L"Browse\x2026", 202, 7, 50, 14, kPush},
    {-1, L"STATIC", L"Format:", 7, 27, 62, 8, kLabel},
    {IDC_SERIES_FORMAT, L"COMBOBOX", L"", 72, 25, 124, 120, kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST},
    {-1, L"STATIC", L"Interval (seconds):", 7, 45, 62, 8, kLabel},
    {IDC_SERIES_INTERVAL, L"EDIT", L"", 72, 43, 40, 14, kTextEdit},
    {-1, L"STATIC", L"Count:", 7, 63, 62, 8, kLabel},
    {IDC_SERIES_COUNT, L"EDIT", L"", 72, 61, 40, 14, kTextEdit | ES_NUMBER},
    {IDC_SERIES_UNTIL_STOPPED, L"BUTTON", L"Until stopped", 120, 63, 76, 10, kCheck},
    {-1, L"STATIC", L"Name prefix:", 7, 81, 62, 8, kLabel},
    {IDC_SERIES_PREFIX, L"EDIT", L"", 72, 79, 124, 14, kTextEdit},
    {IDC_SERIES_TIME_LAPSE, L"BUTTON", L"Into one AVI file, played at", 7, 99, 110, 10, kCheck},
    {IDC_SERIES_PLAYBACK_RATE, L"EDIT", L"", 120, 97, 30, 14, kTextEdit},
    {-1, L"STATIC", L"frames/s", 154, 99, 40, 8, kLabel},
    {IDC_SERIES_FIRST_FILE, L"STATIC", L"", 72, 116, 180, 8, kChild | SS_LEFT | SS_NOPREFIX},
    {IDOK, L"BUTTON", L"Start", 146, 135, 50, 14, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON},
    {IDCANCEL, L"BUTTON", L"Cancel", 202, 135, 50, 14, kPush},
};

const std::vector<ExpectedControl> kVideoControls = {
    {1017, L"STATIC", L"", 7, 7, 406, 273, kChild | SS_BLACKRECT | SS_NOTIFY},
};

struct ExpectedDialog {
  int id;
  DWORD style;
  DWORD ex_style;
  short cx, cy;
  const wchar_t* title;
  WORD point_size;
  WORD weight;
  BYTE charset;
  const wchar_t* typeface;
  const std::vector<ExpectedControl>* controls;
};

void PrintTo(const ExpectedDialog& dialog, std::ostream* os) { *os << "template " << dialog.id; }

const std::vector<ExpectedControl> kNoControls;

const ExpectedDialog kDialogs[] = {
    {IDD_CONTROL_PANEL, WS_POPUP | WS_VISIBLE | WS_SYSMENU | DS_SETFOREGROUND | DS_SETFONT | DS_FIXEDSYS,
     WS_EX_APPWINDOW, 297, 100, L"", 9, 0, 1, L"MS Shell Dlg", &kPanelControls},
    {IDD_PROPERTIES, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0, 467, 387,
     L"TK Lumora-Q7 Property", 9, 0, 0, L"MS Sans Serif", &kPropertyControls},
    {IDD_VIDEO_WINDOW, WS_POPUP | DS_SETFONT | DS_FIXEDSYS, WS_EX_TOOLWINDOW, 420, 287, L"", 8, 400, 1, L"MS Shell Dlg",
     &kVideoControls},
    {IDD_ABOUT, WS_POPUP | WS_SYSMENU | DS_SETFONT | DS_FIXEDSYS, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, 186, 92, L"", 8,
     400, 1, L"MS Shell Dlg", &kNoControls},
    {IDD_FULL_VIEW, WS_POPUP | DS_SETFONT | DS_FIXEDSYS, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, 594, 345, L"", 8, 400, 1,
     L"MS Shell Dlg", &kNoControls},
    {IDD_CAPTURE_SERIES, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS, 0, 260, 156,
     L"Capture series", 8, 400, 1, L"MS Shell Dlg", &kSeriesControls},
};

class ResourceDialogTemplate : public ::testing::TestWithParam<ExpectedDialog> {
 protected:
  DialogTemplate Parse() const {
    return q7test::ParseDialogTemplate(q7test::ResourceBytes(q7test::Library(), RT_DIALOG, GetParam().id));
  }
};

TEST_P(ResourceDialogTemplate, IsAnExtendedTemplateWithTheWindowAsTabled) {
  const auto& want = GetParam();
  const auto t = Parse();
  ASSERT_TRUE(t.ok) << "template " << want.id << " missing or malformed";
  EXPECT_EQ(t.style, want.style);
  EXPECT_EQ(t.ex_style, want.ex_style);
  EXPECT_EQ(t.help_id, 0u);
  EXPECT_EQ(t.x, 0);
  EXPECT_EQ(t.y, 0);
  EXPECT_EQ(t.cx, want.cx);
  EXPECT_EQ(t.cy, want.cy);
  EXPECT_EQ(t.menu, L"");
  EXPECT_EQ(t.window_class, L"");
  EXPECT_EQ(t.title, want.title);
}

TEST_P(ResourceDialogTemplate, CarriesItsFont) {
  const auto& want = GetParam();
  const auto t = Parse();
  ASSERT_TRUE(t.ok);
  EXPECT_EQ(t.point_size, want.point_size);
  EXPECT_EQ(t.weight, want.weight);
  EXPECT_EQ(t.italic, 0);
  EXPECT_EQ(t.charset, want.charset);
  EXPECT_EQ(t.typeface, want.typeface);
}

TEST_P(ResourceDialogTemplate, ControlsInTemplateOrder) {
  const auto& want = GetParam();
  const auto t = Parse();
  ASSERT_TRUE(t.ok);
  const auto& controls = *want.controls;
  ASSERT_EQ(t.items.size(), controls.size());
  for (size_t i = 0; i < controls.size(); ++i) {
    const auto& got = t.items[i];
    const auto& c = controls[i];
    SCOPED_TRACE("template " + std::to_string(want.id) + ", control " + std::to_string(i) + ", id " +
                 std::to_string(c.id));
    EXPECT_EQ(got.id, c.id);
    EXPECT_EQ(got.window_class, c.window_class);
    EXPECT_EQ(got.text, c.text);
    EXPECT_EQ(got.x, c.x);
    EXPECT_EQ(got.y, c.y);
    EXPECT_EQ(got.cx, c.cx);
    EXPECT_EQ(got.cy, c.cy);
    EXPECT_EQ(got.style, c.style) << std::hex << got.style << " vs " << c.style;
    EXPECT_EQ(got.ex_style, 0u);
    EXPECT_EQ(got.help_id, 0u);
    EXPECT_EQ(got.extra_count, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Every, ResourceDialogTemplate, ::testing::ValuesIn(kDialogs),
                         [](const ::testing::TestParamInfo<ExpectedDialog>& info) {
                           return "Dialog" + std::to_string(info.param.id);
                         });

TEST(ResourceDialogTemplates, ResolutionButtonIsTheOnlyHiddenPanelControl) {
  const auto t = q7test::ParseDialogTemplate(q7test::ResourceBytes(q7test::Library(), RT_DIALOG, IDD_CONTROL_PANEL));
  ASSERT_TRUE(t.ok);
  for (const auto& item : t.items) {
    EXPECT_EQ((item.style & WS_VISIBLE) == 0, item.id == IDC_RESOLUTION) << "control " << item.id;
  }
}

TEST(ResourceDialogTemplates, PredefinedClassesAreStoredAsOrdinals) {
  for (int id : {IDD_CONTROL_PANEL, IDD_PROPERTIES, IDD_VIDEO_WINDOW, IDD_CAPTURE_SERIES}) {
    const auto t = q7test::ParseDialogTemplate(q7test::ResourceBytes(q7test::Library(), RT_DIALOG, id));
    ASSERT_TRUE(t.ok);
    for (const auto& item : t.items) {
      const bool predefined = item.window_class == L"BUTTON" || item.window_class == L"EDIT" ||
                              item.window_class == L"STATIC" || item.window_class == L"COMBOBOX";
      EXPECT_EQ(item.class_is_ordinal, predefined) << "template " << id << " control " << item.id;
    }
  }
}

}  // namespace
