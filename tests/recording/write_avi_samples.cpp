// Writes AVI files the way recordings are written, for tools that share no code with ours
// (check_avi_with_readers.sh). Each file gets a line in manifest.txt: its name, the fewest and
// the most pictures a reader may decode from it, the frames its header counts (dropped ones
// too), the width, the height and the frame rate in the header.
//   write_avi_samples <folder>            the samples
//   write_avi_samples --full-disk <folder>  records into a folder on a small disk until it is full
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "imaging/jpeg_encoder.h"
#include "recording/avi_writer.h"
#include "tests/imaging/camera_like_picture.h"
#include "tests/recording/failing_disk.h"

using namespace q7;
using recording::AviWriter;
using recording::AviWriterOptions;

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

// A different picture for each frame number.
std::vector<std::uint8_t> Frame(int number, int width = kWidth, int height = kHeight) {
  std::vector<std::uint8_t> jpeg;
  imaging::EncodeJpeg(imaging::testing::CameraLikePicture(width, height, 1000 + number), {}, jpeg);
  return jpeg;
}

class Samples {
 public:
  explicit Samples(std::wstring folder)
      : folder_(std::move(folder)), manifest_(std::filesystem::path(folder_ + L"\\manifest.txt")) {}

  std::wstring Path(const wchar_t* name) const { return folder_ + L"\\" + name; }
  struct Frames {
    std::uint64_t fewest, most, counted;
  };
  void Expect(const std::wstring& name, Frames frames, double rate, int width = kWidth, int height = kHeight) {
    manifest_ << std::string(name.begin(), name.end()) << ' ' << frames.fewest << ' ' << frames.most << ' '
              << frames.counted << ' ' << width << ' ' << height << ' ' << rate << '\n';
  }
  void Expect(const std::wstring& name, std::uint64_t frames, double rate, int width = kWidth, int height = kHeight) {
    Expect(name, Frames{frames, frames, frames}, rate, width, height);
  }
  bool Check(HRESULT hr, const char* what) {
    if (FAILED(hr)) {
      std::fprintf(stderr, "%s failed: 0x%08lx\n", what, static_cast<unsigned long>(hr));
      ok_ = false;
    }
    return SUCCEEDED(hr);
  }
  bool Ok() const { return ok_; }

 private:
  std::wstring folder_;
  std::ofstream manifest_;
  bool ok_ = true;
};

// 40 frames, two of them dropped, committed now and then, closed; the rate set at the end.
void Plain(Samples& s) {
  AviWriter writer(s.Path(L"plain.avi"), kWidth, kHeight, 30);
  if (!s.Check(writer.Open(), "plain: open")) return;
  for (int i = 0; i < 40; ++i) {
    s.Check(writer.WriteFrame(i == 17 || i == 18 ? std::vector<std::uint8_t>{} : Frame(i)), "plain: frame");
    if (i % 10 == 9) s.Check(writer.Commit(), "plain: commit");
  }
  writer.SetFrameRate(14.985);
  s.Check(writer.Close(), "plain: close");
  s.Expect(L"plain.avi", Samples::Frames{38, 38, 40}, 14.985);  // a dropped frame is no picture, but takes its time
}

// RIFFs of 16 KB: the frames run on through many AVIX RIFFs.
void Segmented(Samples& s) {
  AviWriterOptions options;
  options.segmentBytes = 16 * 1024;
  AviWriter writer(s.Path(L"segmented.avi"), kWidth, kHeight, 25, options);
  if (!s.Check(writer.Open(), "segmented: open")) return;
  for (int i = 0; i < 120; ++i) {
    s.Check(writer.WriteFrame(Frame(i)), "segmented: frame");
    if (i % 7 == 6) s.Check(writer.Commit(), "segmented: commit");
  }
  s.Check(writer.Close(), "segmented: close");
  s.Expect(L"segmented.avi", 120, 25);
}

// Files of at most 64 KB: the recording goes on in numbered files, each whole.
void Limited(Samples& s) {
  AviWriterOptions options;
  options.fileBytes = 64 * 1024;
  options.superIndexRoom = 64;
  AviWriter writer(s.Path(L"limited.avi"), kWidth, kHeight, 15, options);
  if (!s.Check(writer.Open(), "limited: open")) return;
  std::vector<std::pair<std::wstring, std::uint64_t>> files;
  std::uint64_t before = 0;
  for (int i = 0; i < 100; ++i) {
    const std::wstring path = writer.Path();
    s.Check(writer.WriteFrame(Frame(i)), "limited: frame");
    if (writer.Path() != path) {
      files.emplace_back(path, writer.Frames() - 1 - before);
      before = writer.Frames() - 1;
    }
  }
  files.emplace_back(writer.Path(), writer.Frames() - before);
  s.Check(writer.Close(), "limited: close");
  for (const auto& [path, frames] : files) s.Expect(path.substr(path.find_last_of(L'\\') + 1), frames, 15);
}

// A crash: 30 frames committed, 7 more written, and the file cut off at arbitrary bytes after
// the commit, as a killed process or a lost power leaves it. Readers that look past the index
// may find some of the 7.
void Crashed(Samples& s) {
  const std::wstring path = s.Path(L"crash.avi");
  AviWriter writer(path, kWidth, kHeight, 30);
  if (!s.Check(writer.Open(), "crash: open")) return;
  for (int i = 0; i < 30; ++i) s.Check(writer.WriteFrame(Frame(i)), "crash: frame");
  s.Check(writer.Commit(), "crash: commit");
  const std::uint64_t committed = writer.Bytes();
  for (int i = 30; i < 37; ++i) s.Check(writer.WriteFrame(Frame(i)), "crash: frame");
  std::vector<std::uint8_t> bytes;
  s.Check(testing_support::ReadWhileOpen(path, bytes), "crash: read");
  const std::uint64_t cuts[] = {
      committed,        committed + 1, committed + 5, committed + 8 + 500, (committed + bytes.size()) / 2,
      bytes.size() - 3, bytes.size()};
  for (std::size_t i = 0; i < std::size(cuts); ++i) {
    const std::wstring name = L"crash_cut" + std::to_wstring(i) + L".avi";
    std::ofstream(std::filesystem::path(s.Path(name.c_str())), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(cuts[i]));
    s.Expect(name, Samples::Frames{30, 37, 30}, 30);
  }
  s.Check(writer.Close(), "crash: close");
  s.Expect(L"crash.avi", 37, 30);
}

// A disk that fills after 20 KB, and a folder that goes away after 20 KB.
void Failed(Samples& s) {
  for (const auto& [name, error] : {std::pair{L"full.avi", ERROR_DISK_FULL}, {L"gone.avi", ERROR_PATH_NOT_FOUND}}) {
    AviWriterOptions options;
    options.create = testing_support::FailingDisk(20 * 1024, error);
    options.superIndexRoom = 64;
    AviWriter writer(s.Path(name), kWidth, kHeight, 30, options);
    if (!s.Check(writer.Open(), "failing: open")) return;
    HRESULT hr = S_OK;
    int written = 0;
    for (; written < 200 && SUCCEEDED(hr); ++written) {
      hr = writer.WriteFrame(Frame(written));
      if (SUCCEEDED(hr) && written % 5 == 4) hr = writer.Commit();
    }
    if (hr != HRESULT_FROM_WIN32(error)) {
      std::fprintf(stderr, "%ls: the write error was 0x%08lx\n", name, static_cast<unsigned long>(hr));
      s.Check(E_FAIL, "failing: error");
    }
    // A folder that went away keeps the frames written since the last commit outside the index.
    s.Expect(name, Samples::Frames{writer.Frames(), static_cast<std::uint64_t>(written), writer.Frames()}, 30);
  }
}

// Records until the real disk is full; the frames the writer kept must all play.
int FullDisk(const std::wstring& folder) {
  Samples s(folder);
  constexpr int kBigWidth = 1280, kBigHeight = 960;  // frames of about 300 KB fill the disk soon
  AviWriter writer(s.Path(L"full_disk.avi"), kBigWidth, kBigHeight, 30);
  if (!s.Check(writer.Open(), "full disk: open")) return 1;
  const std::vector<std::uint8_t> frames[] = {Frame(1, kBigWidth, kBigHeight), Frame(2, kBigWidth, kBigHeight)};
  HRESULT hr = S_OK;
  for (int i = 0; i < 10000 && SUCCEEDED(hr); ++i) {
    hr = writer.WriteFrame(frames[i % 2]);
    if (SUCCEEDED(hr) && i % 3 == 2) hr = writer.Commit();
  }
  if (hr != HRESULT_FROM_WIN32(ERROR_DISK_FULL)) {
    std::fprintf(stderr, "full disk: the write error was 0x%08lx\n", static_cast<unsigned long>(hr));
    return 1;
  }
  s.Expect(L"full_disk.avi", writer.Frames(), 30, kBigWidth, kBigHeight);
  std::printf("the disk took %llu frames\n", static_cast<unsigned long long>(writer.Frames()));
  return writer.Frames() > 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wstring(argv[1]) == L"--full-disk") return FullDisk(argv[2]);
  if (argc != 2) {
    std::fprintf(stderr, "usage: write_avi_samples [--full-disk] <folder>\n");
    return 2;
  }
  Samples samples(argv[1]);
  Plain(samples);
  Segmented(samples);
  Limited(samples);
  Crashed(samples);
  Failed(samples);
  return samples.Ok() ? 0 : 1;
}
