#pragma once
// One picture in memory: a 40-byte BITMAPINFOHEADER followed by the pixel rows (top-down,
// rows padded to 4 bytes), in one heap block that is replaced, never resized.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

// Every frame of this program: blue, green and red bytes.
inline constexpr int kFrameBitsPerPixel = 24;

struct FrameLayout {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  std::size_t stride = 0;     // bytes per row, a multiple of 4
  std::size_t imageSize = 0;  // stride * height
};

// Row padding and size of a picture; negative or zero sizes give an empty layout.
FrameLayout ComputeFrameLayout(int width, int height, int bitsPerPixel);

// Offset of the first pixel byte from the start of a block that begins with this header:
// biSize, plus 12 for BI_BITFIELDS masks, otherwise plus the colour table.
std::size_t FirstPixelOffset(const BITMAPINFOHEADER& header);

// Where the pixels of a frame copied out whole (its header, then its rows) lie.
struct CopiedFrameLayout {
  FrameLayout layout;
  std::size_t pixelOffset = 0;
};
// Nothing unless `frame` holds a whole top-down picture of this program's kind.
std::optional<CopiedFrameLayout> LayoutOfCopiedFrame(std::span<const std::uint8_t> frame);

class FrameBlock {
 public:
  // A black picture.
  FrameBlock(int width, int height, int bitsPerPixel);

  const BITMAPINFOHEADER& Header() const { return *reinterpret_cast<const BITMAPINFOHEADER*>(bytes_.get()); }
  const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(bytes_.get()); }
  std::uint8_t* Pixels() { return bytes_.get() + FirstPixelOffset(Header()); }
  const std::uint8_t* Pixels() const { return bytes_.get() + FirstPixelOffset(Header()); }
  std::size_t PixelBytes() const { return Header().biSizeImage; }
  int Width() const { return Header().biWidth; }
  int Height() const { return Header().biHeight < 0 ? -Header().biHeight : Header().biHeight; }
  std::size_t Stride() const { return ComputeFrameLayout(Width(), Height(), Header().biBitCount).stride; }
  const std::uint8_t* Data() const { return bytes_.get(); }
  std::size_t Size() const { return size_; }
  // Same size and pixel format: one can stand in for the other.
  bool SameShape(const FrameBlock& other) const {
    return Size() == other.Size() && Width() == other.Width() && Height() == other.Height();
  }

 private:
  std::unique_ptr<std::uint8_t[]> bytes_;
  std::size_t size_;
};
