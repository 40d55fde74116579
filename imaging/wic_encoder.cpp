#include "imaging/wic_encoder.h"

#include <objbase.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <climits>
#include <cstring>

namespace q7::imaging {
namespace {

using Microsoft::WRL::ComPtr;

const GUID* ContainerFor(ImageFormat format) {
  switch (format) {
    case ImageFormat::Gif: return &GUID_ContainerFormatGif;
    case ImageFormat::Jpeg: return &GUID_ContainerFormatJpeg;
    case ImageFormat::Png: return &GUID_ContainerFormatPng;
    case ImageFormat::Tiff: return &GUID_ContainerFormatTiff;
    default: return nullptr;
  }
}

HRESULT Convert(IWICImagingFactory* factory, IWICBitmapSource* source, REFWICPixelFormatGUID to, IWICPalette* palette,
                ComPtr<IWICBitmapSource>& result) {
  ComPtr<IWICFormatConverter> converter;
  HRESULT hr = factory->CreateFormatConverter(&converter);
  if (SUCCEEDED(hr)) {
    hr = converter->Initialize(source, to, WICBitmapDitherTypeNone, palette, 0.0, WICBitmapPaletteTypeCustom);
  }
  if (SUCCEEDED(hr)) result = converter;
  return hr;
}

// The index of the palette colour nearest to any colour, looked up by the top five bits of
// each channel. WIC's own converter searches the palette for every pixel, which takes seconds
// on a full camera frame; the table takes milliseconds and errs by at most half a step.
class NearestPaletteIndex {
 public:
  explicit NearestPaletteIndex(const std::vector<WICColor>& colours) : table_(32 * 32 * 32) {
    for (int r = 0; r < 32; ++r) {
      for (int g = 0; g < 32; ++g) {
        for (int b = 0; b < 32; ++b) table_[Cell(r, g, b)] = Nearest(colours, r * 8 + 4, g * 8 + 4, b * 8 + 4);
      }
    }
  }
  std::uint8_t operator()(std::uint8_t b, std::uint8_t g, std::uint8_t r) const {
    return table_[Cell(r >> 3, g >> 3, b >> 3)];
  }

 private:
  static std::size_t Cell(int r, int g, int b) { return (static_cast<std::size_t>(r) << 10) | (g << 5) | b; }
  static std::uint8_t Nearest(const std::vector<WICColor>& colours, int r, int g, int b) {
    std::size_t best = 0;
    int bestDistance = INT_MAX;
    for (std::size_t i = 0; i < colours.size(); ++i) {
      const int dr = static_cast<int>((colours[i] >> 16) & 0xFF) - r;
      const int dg = static_cast<int>((colours[i] >> 8) & 0xFF) - g;
      const int db = static_cast<int>(colours[i] & 0xFF) - b;
      const int distance = dr * dr + dg * dg + db * db;
      if (distance < bestDistance) bestDistance = distance, best = i;
    }
    return static_cast<std::uint8_t>(best);
  }

  std::vector<std::uint8_t> table_;
};

// GIF frames take 8-bit indexed pixels only: an optimised 256-colour palette of the picture,
// and the pixels mapped onto it.
HRESULT MakeIndexed(IWICImagingFactory* factory, IWICBitmap* bitmap, const Image& image, IWICBitmapFrameEncode* frame,
                    ComPtr<IWICBitmapSource>& result) {
  ComPtr<IWICPalette> palette;
  HRESULT hr = factory->CreatePalette(&palette);
  if (SUCCEEDED(hr)) hr = palette->InitializeFromBitmap(bitmap, 256, FALSE);
  UINT count = 0;
  if (SUCCEEDED(hr)) hr = palette->GetColorCount(&count);
  std::vector<WICColor> colours(count);
  if (SUCCEEDED(hr) && count > 0) hr = palette->GetColors(count, colours.data(), &count);
  if (SUCCEEDED(hr) && count == 0) hr = E_FAIL;
  if (FAILED(hr)) return hr;
  colours.resize(count);

  const NearestPaletteIndex nearest(colours);
  std::vector<std::uint8_t> indices(static_cast<std::size_t>(image.width) * image.height);
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* p = image.Row(y);
    std::uint8_t* out = indices.data() + static_cast<std::size_t>(y) * image.width;
    for (int x = 0; x < image.width; ++x, p += 3) out[x] = nearest(p[0], p[1], p[2]);
  }
  ComPtr<IWICBitmap> indexed;
  // The bitmap copies the pixels it is made from.
  hr = factory->CreateBitmapFromMemory(static_cast<UINT>(image.width), static_cast<UINT>(image.height),
                                       GUID_WICPixelFormat8bppIndexed, static_cast<UINT>(image.width),
                                       static_cast<UINT>(indices.size()), indices.data(), &indexed);
  if (SUCCEEDED(hr)) hr = indexed->SetPalette(palette.Get());
  if (SUCCEEDED(hr)) hr = frame->SetPalette(palette.Get());
  if (SUCCEEDED(hr)) result = indexed;
  return hr;
}

HRESULT CopyStream(IStream* stream, std::vector<std::uint8_t>& out) {
  STATSTG stat{};
  HRESULT hr = stream->Stat(&stat, STATFLAG_NONAME);
  if (FAILED(hr)) return hr;
  HGLOBAL memory = nullptr;  // owned by the stream
  hr = GetHGlobalFromStream(stream, &memory);
  if (FAILED(hr)) return hr;
  const auto size = static_cast<std::size_t>(stat.cbSize.QuadPart);
  if (size == 0 || GlobalSize(memory) < size) return E_FAIL;
  const void* data = GlobalLock(memory);
  if (data == nullptr) return HRESULT_FROM_WIN32(GetLastError());
  out.assign(static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + size);
  GlobalUnlock(memory);
  return S_OK;
}

}  // namespace

bool IsWicFormat(ImageFormat format) { return ContainerFor(format) != nullptr; }

HRESULT EncodeWithWic(const Image& image, ImageFormat format, std::vector<std::uint8_t>& out) {
  out.clear();
  const GUID* container = ContainerFor(format);
  if (container == nullptr || !image.IsValid()) return E_INVALIDARG;
  const auto width = static_cast<UINT>(image.width);
  const auto height = static_cast<UINT>(image.height);

  ComPtr<IWICImagingFactory> factory;
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory));
  ComPtr<IWICBitmap> bitmap;
  if (SUCCEEDED(hr)) {
    // WIC only reads the pixels, but the signature takes a non-const buffer.
    hr = factory->CreateBitmapFromMemory(width, height, GUID_WICPixelFormat24bppBGR,
                                         static_cast<UINT>(image.RowBytes()), static_cast<UINT>(image.bgr.size()),
                                         const_cast<BYTE*>(image.bgr.data()), &bitmap);
  }
  ComPtr<IStream> stream;
  if (SUCCEEDED(hr)) hr = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
  ComPtr<IWICBitmapEncoder> encoder;
  if (SUCCEEDED(hr)) hr = factory->CreateEncoder(*container, nullptr, &encoder);
  if (SUCCEEDED(hr)) hr = encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache);
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> options;
  if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(&frame, &options);
  if (SUCCEEDED(hr)) hr = frame->Initialize(options.Get());
  if (SUCCEEDED(hr)) hr = frame->SetSize(width, height);

  ComPtr<IWICBitmapSource> source;
  WICPixelFormatGUID sourceFormat = GUID_WICPixelFormat24bppBGR;
  if (SUCCEEDED(hr)) {
    if (format == ImageFormat::Gif) {
      hr = MakeIndexed(factory.Get(), bitmap.Get(), image, frame.Get(), source);
      sourceFormat = GUID_WICPixelFormat8bppIndexed;
    } else {
      source = bitmap;
    }
  }
  WICPixelFormatGUID frameFormat = sourceFormat;
  if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&frameFormat);
  // The encoder may ask for another layout (TIFF and PNG may prefer RGB order).
  if (SUCCEEDED(hr) && !IsEqualGUID(frameFormat, sourceFormat)) {
    ComPtr<IWICBitmapSource> converted;
    hr = Convert(factory.Get(), source.Get(), frameFormat, nullptr, converted);
    if (SUCCEEDED(hr)) source = converted;
  }
  if (SUCCEEDED(hr)) hr = frame->WriteSource(source.Get(), nullptr);
  // The frame has to be committed before the encoder, or the file lacks its pixels.
  if (SUCCEEDED(hr)) hr = frame->Commit();
  if (SUCCEEDED(hr)) hr = encoder->Commit();
  if (SUCCEEDED(hr)) hr = CopyStream(stream.Get(), out);
  if (FAILED(hr)) out.clear();
  return hr;
}

}  // namespace q7::imaging
