#include "tests/display/test_pixels.h"

#include <cstring>

#include <tlhelp32.h>

#include "framework/wnd.h"

#include <cstdlib>
#include <vector>

namespace display_test {

Canvas::Canvas(int width, int height) : width_(width), height_(height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  bits_ = static_cast<std::uint32_t*>(bits);
  dc_.reset(::CreateCompatibleDC(nullptr));
  previous_ = ::SelectObject(dc_.get(), bitmap_.get());
}

Canvas::~Canvas() {
  if (previous_) ::SelectObject(dc_.get(), previous_);
}

COLORREF Canvas::At(int x, int y) const {
  ::GdiFlush();
  const std::uint32_t v = bits_[static_cast<std::size_t>(y) * width_ + x];
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

void Canvas::Fill(COLORREF colour) {
  const std::uint32_t v = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
  for (std::size_t i = 0; i < static_cast<std::size_t>(width_) * height_; ++i) bits_[i] = v;
}

int Canvas::Count(const RECT& area, COLORREF colour, int tolerance) const {
  int n = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (Near(At(x, y), colour, tolerance)) ++n;
  return n;
}

std::unique_ptr<Canvas> CaptureClient(HWND hwnd) {
  RECT client{};
  ::GetClientRect(hwnd, &client);
  auto canvas = std::make_unique<Canvas>(client.right, client.bottom);
  fw::ScopedWindowDc dc(hwnd);
  ::BitBlt(canvas->dc(), 0, 0, client.right, client.bottom, dc.get(), 0, 0, SRCCOPY);
  return canvas;
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

::testing::AssertionResult ColourNear(COLORREF actual, COLORREF expected, int tolerance) {
  if (Near(actual, expected, tolerance)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "colour RGB(" << int(GetRValue(actual)) << "," << int(GetGValue(actual))
                                       << "," << int(GetBValue(actual)) << ") is not within " << tolerance << " of RGB("
                                       << int(GetRValue(expected)) << "," << int(GetGValue(expected)) << ","
                                       << int(GetBValue(expected)) << ")";
}

namespace {
void PaintRows(FrameBlock& block, int from, int to, COLORREF colour) {
  const std::size_t stride = block.Stride();
  for (int y = from; y < to; ++y) {
    std::uint8_t* row = block.Pixels() + stride * static_cast<std::size_t>(y);
    for (int x = 0; x < block.Width(); ++x) {
      row[3 * x + 0] = GetBValue(colour);
      row[3 * x + 1] = GetGValue(colour);
      row[3 * x + 2] = GetRValue(colour);
    }
  }
}
}  // namespace

void PaintBands(FrameBlock& block, COLORREF top, int topRows, COLORREF middle, COLORREF bottom, int bottomRows) {
  const int h = block.Height();
  PaintRows(block, 0, topRows, top);
  PaintRows(block, topRows, h - bottomRows, middle);
  PaintRows(block, h - bottomRows, h, bottom);
}

void PaintSolid(FrameBlock& block, COLORREF colour) { PaintRows(block, 0, block.Height(), colour); }

fw::UniqueWindow MakeTestWindow(int width, int height, const wchar_t* title) {
  static const ATOM cls = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"Q7DisplayTestWindow";
    return ::RegisterClassW(&wc);
  }();
  (void)cls;
  fw::UniqueWindow wnd(::CreateWindowExW(0, L"Q7DisplayTestWindow", title, WS_POPUP | WS_VISIBLE, 20, 20, width, height,
                                         nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr));
  PumpFor(50);
  return wnd;
}

void PublishFrame(FrameExchange& frames, const std::function<void(FrameBlock&)>& paint) {
  std::unique_ptr<FrameBlock> block = frames.EmptyBlock();
  if (!block) return;
  {
    const FrameExchange::Lease current = frames.Read();
    if (current && current.Block().SameShape(*block))
      std::memcpy(block->Pixels(), current.Block().Pixels(), block->PixelBytes());
  }
  if (paint) paint(*block);
  frames.Publish(block, {frames.NewestNumber() + 1, 0});
}

DWORD GdiObjectCount() {
  if (const DWORD reported = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS)) return reported;
  // Wine reports 0: count instead how many more objects fit under the per-process limit.
  std::vector<fw::UniqueBrush> probes;
  probes.reserve(70000);
  while (probes.size() < 70000) {
    fw::UniqueBrush brush(::CreateSolidBrush(RGB(1, 2, 3)));
    if (!brush) break;
    probes.push_back(std::move(brush));
  }
  return static_cast<DWORD>(100000 - probes.size());  // only differences mean anything
}

int ThreadCount() {
  fw::UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int n = 0;
  const DWORD self = ::GetCurrentProcessId();
  for (BOOL ok = ::Thread32First(snapshot.get(), &entry); ok; ok = ::Thread32Next(snapshot.get(), &entry))
    if (entry.th32OwnerProcessID == self) ++n;
  return n;
}

}  // namespace display_test

namespace display_test {

void SendMouse(DWORD flags, POINT screen) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
  // Rounded up, so that scaling back by the screen size (x * w / 65536) lands on the pixel.
  input.mi.dx = static_cast<LONG>((screen.x * 65536LL + w - 1) / w);
  input.mi.dy = static_cast<LONG>((screen.y * 65536LL + h - 1) / h);
  input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  ::SendInput(1, &input, sizeof input);
}

POINT ClientToScreenPoint(HWND hwnd, POINT pt) {
  ::ClientToScreen(hwnd, &pt);
  return pt;
}

}  // namespace display_test
