// Encodes one full-resolution camera-like frame (2592 x 1944) in every snapshot format and
// prints the best time of a few runs and the file size per format; then JPEG as it was (the
// Windows Imaging Component's encoder) against libjpeg-turbo, in the same run.
//   encoders_bench [--runs N] [--tsv] [--source <file.bmp>]
// --source also writes the frame as a BMP, so other tools can encode the same picture.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "framework/com_apartment.h"
#include "imaging/bmp_file.h"
#include "imaging/image_file.h"
#include "imaging/jpeg_encoder.h"
#include "imaging/wic_encoder.h"
#include "tests/imaging/camera_like_picture.h"

using namespace q7::imaging;

namespace {

struct Row {
  ImageFormat format;
  const char* name;
};

constexpr Row kRows[] = {
    {ImageFormat::Bmp, "BMP"}, {ImageFormat::Gif, "GIF"}, {ImageFormat::Jpeg, "JPEG"},
    {ImageFormat::Png, "PNG"}, {ImageFormat::Ico, "ICO"}, {ImageFormat::Tiff, "TIFF"},
    {ImageFormat::Tga, "TGA"}, {ImageFormat::Pcx, "PCX"}, {ImageFormat::Wbmp, "WBMP"},
    {ImageFormat::Wmf, "WMF"}, {ImageFormat::Jp2, "JP2"}, {ImageFormat::Jpc, "JPC"},
    {ImageFormat::Pgx, "PGX"}, {ImageFormat::Pnm, "PNM"}, {ImageFormat::SunRaster, "RAS"},
};

// The best time of `runs` calls of `encode`, which fills `bytes`; a negative time on failure.
template <typename Encode>
double BestMs(int runs, std::vector<std::uint8_t>& bytes, Encode encode) {
  double best = 1e300;
  for (int r = 0; r < runs; ++r) {
    const auto start = std::chrono::steady_clock::now();
    if (FAILED(encode(bytes))) return -1;
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  return best;
}

// JPEG at quality 90: WIC's encoder, which snapshots used, against libjpeg-turbo's.
int CompareJpegEncoders(const Image& frame, int runs, bool tsv) {
  const ComApartment com;
  struct Way {
    const char* name;
    std::function<HRESULT(std::vector<std::uint8_t>&)> encode;
  };
  JpegEncoder kept;
  const Way ways[] = {
      {"WIC JPEG (snapshots before)", [&](auto& out) { return EncodeWithWic(frame, ImageFormat::Jpeg, out); }},
      {"libjpeg-turbo q90 4:2:0 (snapshots now)", [&](auto& out) { return EncodeJpeg(frame, {90}, out); }},
      {"libjpeg-turbo q90 4:4:4",
       [&](auto& out) {
         return EncodeJpeg(frame, {90, ChromaSubsampling::Full}, out);
       }},
      {"libjpeg-turbo q90 4:2:0, encoder kept (recordings)",
       [&](auto& out) { return kept.Encode(PixelsOf(frame), {90}, out); }},
  };
  if (!tsv) {
    std::printf("\nJPEG encoders on the same frame, best of %d runs\n\n", runs);
    std::printf("| Encoder | Time (ms) | Size (bytes) | Faster than WIC |\n|---|---:|---:|---:|\n");
  }
  int failures = 0;
  double wicMs = 0;
  for (const Way& way : ways) {
    std::vector<std::uint8_t> bytes;
    const double ms = BestMs(runs, bytes, way.encode);
    if (ms < 0) {
      ++failures;
      std::printf(tsv ? "%s\tfailed\n" : "| %s | failed | | |\n", way.name);
      continue;
    }
    if (wicMs == 0) wicMs = ms;
    if (tsv)
      std::printf("%s\t%.1f\t%zu\t%.1f\n", way.name, ms, bytes.size(), wicMs / ms);
    else
      std::printf("| %s | %.1f | %zu | %.1fx |\n", way.name, ms, bytes.size(), wicMs / ms);
  }
  return failures;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 3;
  bool tsv = false;
  const char* source = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
      runs = std::max(1, std::atoi(argv[++i]));
    else if (std::strcmp(argv[i], "--tsv") == 0)
      tsv = true;
    else if (std::strcmp(argv[i], "--source") == 0 && i + 1 < argc)
      source = argv[++i];
  }
  const Image frame = testing::CameraLikePicture(2592, 1944);
  if (source != nullptr) {
    const auto bmp = EncodeBmp(frame);
    std::FILE* f = std::fopen(source, "wb");
    if (f == nullptr || std::fwrite(bmp.data(), 1, bmp.size(), f) != bmp.size() || std::fclose(f) != 0) {
      std::fprintf(stderr, "cannot write %s\n", source);
      return 1;
    }
  }

  if (!tsv) {
    std::printf("2592 x 1944 frame, best of %d runs, in memory\n\n", runs);
    std::printf("| Format | Time (ms) | Size (bytes) | Ratio |\n|---|---:|---:|---:|\n");
  }
  int failures = 0;
  for (const Row& row : kRows) {
    double best = 1e300;
    std::vector<std::uint8_t> bytes;
    HRESULT hr = S_OK;
    for (int r = 0; r < runs && SUCCEEDED(hr); ++r) {
      const auto start = std::chrono::steady_clock::now();
      hr = EncodeImage(frame, row.format, bytes);
      const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
      best = std::min(best, took.count());
    }
    if (FAILED(hr)) {
      ++failures;
      std::printf(tsv ? "%s\tfailed\t0x%08lx\n" : "| %s | failed 0x%08lx | | |\n", row.name,
                  static_cast<unsigned long>(hr));
      continue;
    }
    const double ratio = static_cast<double>(bytes.size()) / static_cast<double>(frame.bgr.size());
    if (tsv)
      std::printf("%s\t%.1f\t%zu\n", row.name, best, bytes.size());
    else
      std::printf("| %s | %.1f | %zu | %.3f |\n", row.name, best, bytes.size(), ratio);
  }
  failures += CompareJpegEncoders(frame, runs, tsv);
  return failures == 0 ? 0 : 1;
}
