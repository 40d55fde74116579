#include "tests/imaging/decoded_picture.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace q7::imaging::testing {
namespace {

using Microsoft::WRL::ComPtr;

// Indexed pixels go through 32-bit BGRA, since Wine cannot convert them to 24-bit directly.
Image Decode(IWICImagingFactory* factory, IWICBitmapDecoder* decoder) {
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICFormatConverter> converter;
  UINT width = 0, height = 0;
  HRESULT hr = decoder->GetFrame(0, &frame);
  if (SUCCEEDED(hr)) hr = frame->GetSize(&width, &height);
  if (SUCCEEDED(hr)) hr = factory->CreateFormatConverter(&converter);
  if (SUCCEEDED(hr))
    hr = converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0,
                               WICBitmapPaletteTypeCustom);
  std::vector<std::uint8_t> bgra(static_cast<std::size_t>(width) * height * 4);
  if (SUCCEEDED(hr)) hr = converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(bgra.size()), bgra.data());
  EXPECT_EQ(hr, S_OK);
  if (FAILED(hr)) return {};
  Image image(static_cast<int>(width), static_cast<int>(height));
  for (std::size_t i = 0, j = 0; i < bgra.size(); i += 4, j += 3) std::copy_n(&bgra[i], 3, &image.bgr[j]);
  return image;
}

ComPtr<IWICImagingFactory> Factory() {
  ComPtr<IWICImagingFactory> factory;
  EXPECT_EQ(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)), S_OK);
  return factory;
}

}  // namespace

Image DecodeWithWic(const std::wstring& path) {
  ComPtr<IWICImagingFactory> factory = Factory();
  ComPtr<IWICBitmapDecoder> decoder;
  if (!factory || FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                            WICDecodeMetadataCacheOnDemand, &decoder))) {
    ADD_FAILURE() << "WIC cannot open the file";
    return {};
  }
  return Decode(factory.Get(), decoder.Get());
}

Image DecodeWithWic(std::span<const std::uint8_t> file) {
  ComPtr<IWICImagingFactory> factory = Factory();
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  // WIC only reads the bytes, but the signature takes a non-const buffer.
  auto* bytes = const_cast<BYTE*>(file.data());
  if (!factory || FAILED(factory->CreateStream(&stream)) ||
      FAILED(stream->InitializeFromMemory(bytes, static_cast<DWORD>(file.size()))) ||
      FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, &decoder))) {
    ADD_FAILURE() << "WIC cannot open the bytes";
    return {};
  }
  return Decode(factory.Get(), decoder.Get());
}

double Psnr(const Image& a, const Image& b) {
  if (a.width != b.width || a.height != b.height) return 0;
  double sum = 0;
  for (std::size_t i = 0; i < a.bgr.size(); ++i) sum += (a.bgr[i] - b.bgr[i]) * (a.bgr[i] - b.bgr[i]);
  return 10 * std::log10(255.0 * 255.0 * static_cast<double>(a.bgr.size()) / std::max(sum, 1e-9));
}

}  // namespace q7::imaging::testing
