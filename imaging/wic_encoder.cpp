#include "imaging/wic_encoder.h"

#include <objbase.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>

namespace q7::imaging {
namespace {

using Microsoft::WRL::ComPtr;

const GUID* ContainerFor(ImageFormat format) {
  switch (format) {
    case ImageFormat::Jpeg: return &GUID_ContainerFormatJpeg;
    case ImageFormat::Png: return &GUID_ContainerFormatPng;
    case ImageFormat::Tiff: return &GUID_ContainerFormatTiff;
    default: return nullptr;
  }
}

HRESULT Convert(IWICImagingFactory* factory, IWICBitmapSource* source, REFWICPixelFormatGUID to,
                ComPtr<IWICBitmapSource>& result) {
  ComPtr<IWICFormatConverter> converter;
  HRESULT hr = factory->CreateFormatConverter(&converter);
  if (SUCCEEDED(hr)) {
    hr = converter->Initialize(source, to, WICBitmapDitherTypeNone, nullptr, 0.0, WICBitmapPaletteTypeCustom);
  }
  if (SUCCEEDED(hr)) result = converter;
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

UINT BitsPerPixel(IWICImagingFactory* factory, REFWICPixelFormatGUID format) {
  ComPtr<IWICComponentInfo> component;
  ComPtr<IWICPixelFormatInfo> info;
  UINT bits = 0;
  if (SUCCEEDED(factory->CreateComponentInfo(format, &component)) && SUCCEEDED(component.As(&info)))
    info->GetBitsPerPixel(&bits);
  return bits;
}

// The picture in strips of rows, so each strip can be reported; the encoders compress as the
// rows come, so the strips measure the work.
HRESULT WriteInStrips(IWICImagingFactory* factory, IWICBitmapSource* source, REFWICPixelFormatGUID format,
                      IWICBitmapFrameEncode* frame, UINT width, UINT height, const EncodeProgress& progress) {
  constexpr UINT kStripRows = 32;
  const UINT bits = BitsPerPixel(factory, format);
  if (bits == 0) return WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
  const UINT stride = (width * bits + 7) / 8;
  std::vector<BYTE> strip(static_cast<std::size_t>(stride) * kStripRows);
  ProgressCounter counter(progress, height);
  for (UINT y = 0; y < height; y += kStripRows) {
    const UINT rows = std::min(kStripRows, height - y);
    const WICRect rect{0, static_cast<INT>(y), static_cast<INT>(width), static_cast<INT>(rows)};
    const UINT bytes = stride * rows;
    HRESULT hr = source->CopyPixels(&rect, stride, bytes, strip.data());
    if (SUCCEEDED(hr)) hr = frame->WritePixels(rows, stride, bytes, strip.data());
    if (FAILED(hr)) return hr;
    counter.Add(rows);
  }
  return S_OK;
}

}  // namespace

bool IsWicFormat(ImageFormat format) { return format == ImageFormat::Png || format == ImageFormat::Tiff; }

HRESULT EncodeWithWic(const Image& image, ImageFormat format, std::vector<std::uint8_t>& out,
                      const EncodeProgress& progress) {
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

  ComPtr<IWICBitmapSource> source = bitmap;
  WICPixelFormatGUID frameFormat = GUID_WICPixelFormat24bppBGR;
  if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&frameFormat);
  // The encoder may ask for another layout (TIFF and PNG may prefer RGB order).
  if (SUCCEEDED(hr) && !IsEqualGUID(frameFormat, GUID_WICPixelFormat24bppBGR)) {
    ComPtr<IWICBitmapSource> converted;
    hr = Convert(factory.Get(), source.Get(), frameFormat, converted);
    if (SUCCEEDED(hr)) source = converted;
  }
  if (SUCCEEDED(hr)) {
    hr = progress ? WriteInStrips(factory.Get(), source.Get(), frameFormat, frame.Get(), width, height, progress)
                  : frame->WriteSource(source.Get(), nullptr);
  }
  // The frame has to be committed before the encoder, or the file lacks its pixels.
  if (SUCCEEDED(hr)) hr = frame->Commit();
  if (SUCCEEDED(hr)) hr = encoder->Commit();
  if (SUCCEEDED(hr)) hr = CopyStream(stream.Get(), out);
  if (FAILED(hr)) out.clear();
  return hr;
}

}  // namespace q7::imaging
