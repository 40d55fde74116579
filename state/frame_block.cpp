#include "state/frame_block.h"

#include <cstring>

FrameLayout ComputeFrameLayout(int width, int height, int bitsPerPixel) {
  if (width <= 0 || height <= 0 || bitsPerPixel <= 0) return {};
  FrameLayout layout;
  layout.width = width;
  layout.height = height;
  layout.bitsPerPixel = bitsPerPixel;
  layout.stride = ((static_cast<std::size_t>(width) * bitsPerPixel + 31) & ~std::size_t{31}) / 8;
  layout.imageSize = layout.stride * static_cast<std::size_t>(height);
  return layout;
}

std::size_t FirstPixelOffset(const BITMAPINFOHEADER& header) {
  if (header.biCompression == BI_BITFIELDS) return header.biSize + 12;
  return header.biSize + 4 * static_cast<std::size_t>(header.biClrUsed);
}

std::optional<CopiedFrameLayout> LayoutOfCopiedFrame(std::span<const std::uint8_t> frame) {
  if (frame.size() < sizeof(BITMAPINFOHEADER)) return std::nullopt;
  BITMAPINFOHEADER header;
  std::memcpy(&header, frame.data(), sizeof header);
  if (header.biBitCount != kFrameBitsPerPixel || header.biHeight >= 0) return std::nullopt;
  const CopiedFrameLayout copied{ComputeFrameLayout(header.biWidth, -header.biHeight, header.biBitCount),
                                 FirstPixelOffset(header)};
  if (copied.layout.imageSize == 0 || copied.pixelOffset + copied.layout.imageSize > frame.size()) return std::nullopt;
  return copied;
}

FrameBlock::FrameBlock(int width, int height, int bitsPerPixel) {
  const FrameLayout layout = ComputeFrameLayout(width, height, bitsPerPixel);
  size_ = sizeof(BITMAPINFOHEADER) + layout.imageSize;
  bytes_ = std::make_unique<std::uint8_t[]>(size_);  // value-initialised: black pixels
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = layout.width;
  header.biHeight = -layout.height;  // top-down rows
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(layout.bitsPerPixel);
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(layout.imageSize);
  std::memcpy(bytes_.get(), &header, sizeof header);
}
