#pragma once
// AviWriter: writes an MJPEG AVI file (OpenDML, see recording/avi_layout.h) frame by frame,
// so that it plays whatever happens to the program:
// - Commit, called at least once a second, adds an ix00 index of the frames since the last
//   one, flushes the file to the disk and then rewrites the header's sizes, counts and super
//   index: a file whose process is killed, or whose machine loses power, plays up to its last
//   commit (the frames after it are outside every size and index).
// - A failed write (full disk, folder gone) ends the file at once, as playable as it can be
//   made: a partly written frame is cut off, the frames before it are indexed when there is
//   room, the header is rewritten in place; every later call returns the failure.
// - Each RIFF holds at most `segmentBytes`; the next frames go into an 'AVIX' RIFF.
// - With `fileBytes`, a file that would grow past it is closed and the recording goes on in
//   a numbered file beside it (NumberedPath).
// One thread at a time.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "recording/avi_layout.h"
#include "recording/byte_sink.h"

namespace q7::recording {

inline constexpr std::uint64_t kOpenDmlSegmentBytes = 1ull << 30;

struct AviWriterOptions {
  std::uint64_t segmentBytes = kOpenDmlSegmentBytes;  // one RIFF at most
  std::uint64_t fileBytes = 0;                        // 0: no limit
  // ix00 chunks one file can have: at one commit a second, four and a half hours; a file
  // that fills it goes on in a numbered file, as at the size limit.
  std::size_t superIndexRoom = 16384;
  // Makes each file; the default creates it on the disk (CreateFileSink).
  std::function<std::unique_ptr<ByteSink>(const std::wstring& path, HRESULT& result)> create;
};

class AviWriter {
 public:
  AviWriter(std::wstring firstPath, int width, int height, double framesPerSecond, AviWriterOptions options = {});
  ~AviWriter();  // closes the file if still open
  AviWriter(const AviWriter&) = delete;
  AviWriter& operator=(const AviWriter&) = delete;

  // Creates the first file (never over an existing one) and writes its header.
  HRESULT Open();
  // One frame: a JPEG file's bytes, or none for a dropped frame (a repeat of the one before).
  HRESULT WriteFrame(std::span<const std::uint8_t> jpeg);
  // Brings the index and the header up to date and flushes the file (see above).
  HRESULT Commit();
  // The frame rate the header gives from the next commit on.
  void SetFrameRate(double framesPerSecond);
  // Indexes the last frames, writes idx1 when the first RIFF is still open, closes the file.
  HRESULT Close();

  // The frames and bytes in the files so far, every file of the recording together.
  std::uint64_t Frames() const noexcept { return framesBefore_ + fileFrames_; }
  std::uint64_t Bytes() const noexcept;
  int Files() const noexcept { return fileNumber_; }
  const std::wstring& Path() const noexcept { return path_; }  // the file written now
  // S_OK, or the write error that ended the recording.
  HRESULT Failure() const noexcept { return failure_; }

 private:
  HRESULT StartFile();
  HRESULT NextFile();
  HRESULT NextSegment();
  // Appends and, on success, moves the end of what the state describes.
  HRESULT AppendAll(std::initializer_list<std::span<const std::uint8_t>> parts);
  HRESULT IndexPending();
  HRESULT AppendLegacyIndex();
  HRESULT WriteHeaders();
  HRESULT FinishFile();
  // Ends the file after `hr`, as playable as it can be made; returns `hr`.
  HRESULT Fail(HRESULT hr);
  bool FirstRiffOpen() const noexcept { return segmentRiff_ == 0 && !firstClosed_; }

  const std::wstring firstPath_;
  const int width_;
  const int height_;
  AviWriterOptions options_;
  AviFrameRate rate_;

  std::unique_ptr<ByteSink> sink_;
  std::wstring path_;
  int fileNumber_ = 0;
  HRESULT failure_ = S_OK;
  std::uint64_t framesBefore_ = 0;  // in the files already closed
  std::uint64_t bytesBefore_ = 0;

  // The file being written. Everything below describes its bytes up to `described_`; a failed
  // append changes none of it.
  std::uint64_t described_ = 0;
  std::uint64_t segmentRiff_ = 0;       // offset of the current RIFF
  std::uint32_t segmentFrames_ = 0;     // frames in it
  std::uint64_t pendingStart_ = 0;      // where the first frame not yet in an ix00 begins
  std::vector<AviIndexEntry> pending_;  // frames not yet in an ix00
  std::vector<AviIndexEntry> firstRiffFrames_;
  std::vector<AviSuperIndexEntry> superIndex_;
  std::uint32_t fileFrames_ = 0;
  std::uint32_t largestChunk_ = 0;
  bool firstClosed_ = false;  // the first RIFF has its idx1 and its final sizes
  std::uint64_t firstMoviEnd_ = 0;
  std::uint64_t firstRiffEnd_ = 0;
};

}  // namespace q7::recording
