#include "recording/avi_writer.h"

#include <algorithm>
#include <array>

namespace q7::recording {
namespace {

std::array<std::uint8_t, 4> Le32Bytes(std::uint64_t v) {
  return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
          static_cast<std::uint8_t>(v >> 24)};
}

constexpr std::uint8_t kPad[1] = {0};

}  // namespace

AviWriter::AviWriter(std::wstring firstPath, int width, int height, double framesPerSecond, AviWriterOptions options)
    : firstPath_(std::move(firstPath)),
      width_(width),
      height_(height),
      options_(std::move(options)),
      rate_(FrameRateOf(framesPerSecond)) {
  if (!options_.create) options_.create = CreateFileSink;
  options_.superIndexRoom = std::max<std::size_t>(options_.superIndexRoom, 2);
}

AviWriter::~AviWriter() {
  if (sink_) Close();
}

std::uint64_t AviWriter::Bytes() const noexcept { return bytesBefore_ + (sink_ ? described_ : 0); }

void AviWriter::SetFrameRate(double framesPerSecond) { rate_ = FrameRateOf(framesPerSecond); }

HRESULT AviWriter::Open() {
  if (sink_ || fileNumber_ > 0) return E_UNEXPECTED;
  if (width_ <= 0 || height_ <= 0) return E_INVALIDARG;
  fileNumber_ = 1;
  return StartFile();
}

HRESULT AviWriter::StartFile() {
  path_ = NumberedPath(firstPath_, fileNumber_);
  HRESULT hr = S_OK;
  sink_ = options_.create(path_, hr);
  if (!sink_) {
    failure_ = FAILED(hr) ? hr : E_FAIL;
    return failure_;
  }
  described_ = 0;
  segmentRiff_ = 0;
  segmentFrames_ = 0;
  pending_.clear();
  firstRiffFrames_.clear();
  superIndex_.clear();
  fileFrames_ = 0;
  largestChunk_ = 0;
  firstClosed_ = false;
  pendingStart_ = 0;
  AviHeaderFields fields;
  fields.width = width_;
  fields.height = height_;
  fields.superIndexRoom = options_.superIndexRoom;
  const std::vector<std::uint8_t> header = AviHeader(fields);
  hr = AppendAll({header});
  pendingStart_ = described_;
  if (SUCCEEDED(hr)) hr = WriteHeaders();
  return FAILED(hr) ? Fail(hr) : S_OK;
}

HRESULT AviWriter::AppendAll(std::initializer_list<std::span<const std::uint8_t>> parts) {
  for (const auto& part : parts) {
    const HRESULT hr = sink_->Append(part);
    if (FAILED(hr)) return hr;
  }
  described_ = sink_->End();
  return S_OK;
}

HRESULT AviWriter::WriteFrame(std::span<const std::uint8_t> jpeg) {
  if (!sink_) return FAILED(failure_) ? failure_ : E_UNEXPECTED;
  const auto size = static_cast<std::uint32_t>(jpeg.size());
  const std::uint64_t chunk = PaddedChunkSize(size);
  // The room the frame's index entries and a next RIFF's header will need.
  const auto reserve = [&] {
    return StandardIndexSize(pending_.size() + 1) +
           (FirstRiffOpen() ? LegacyIndexSize(firstRiffFrames_.size() + 1) : 0) + kAvixHeaderSize;
  };
  const bool segmentFull = described_ - segmentRiff_ + chunk + reserve() > options_.segmentBytes && segmentFrames_ > 0;
  // In a new RIFF the frame comes after this one's index (and idx1) and the new header.
  const std::uint64_t needed = segmentFull ? described_ + (pending_.empty() ? 0 : StandardIndexSize(pending_.size())) +
                                                 (FirstRiffOpen() ? LegacyIndexSize(firstRiffFrames_.size()) : 0) +
                                                 kAvixHeaderSize + chunk + StandardIndexSize(1) + kAvixHeaderSize
                                           : described_ + chunk + reserve();
  HRESULT hr = S_OK;
  if (superIndex_.size() + 1 >= options_.superIndexRoom ||
      (options_.fileBytes > 0 && needed > options_.fileBytes && fileFrames_ > 0)) {
    hr = NextFile();
  } else if (segmentFull) {
    hr = NextSegment();
  }
  if (FAILED(hr)) return hr;  // the file is ended already
  if (options_.fileBytes > 0 && described_ + chunk + reserve() > options_.fileBytes)
    return Fail(HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE));  // not even one frame fits the limit

  const AviIndexEntry entry{described_ + 8, size};
  const std::vector<std::uint8_t> header = FrameChunkHeader(size);
  hr = AppendAll({header, jpeg, std::span<const std::uint8_t>(kPad, size & 1)});
  if (FAILED(hr)) return Fail(hr);
  pending_.push_back(entry);
  if (FirstRiffOpen()) firstRiffFrames_.push_back(entry);
  ++fileFrames_;
  ++segmentFrames_;
  largestChunk_ = std::max(largestChunk_, size);
  return S_OK;
}

HRESULT AviWriter::IndexPending() {
  if (pending_.empty()) return S_OK;
  const std::vector<std::uint8_t> index = StandardIndex(segmentRiff_, pending_);
  const std::uint64_t at = described_;
  const HRESULT hr = AppendAll({index});
  if (FAILED(hr)) return hr;
  superIndex_.push_back({at, static_cast<std::uint32_t>(index.size()), static_cast<std::uint32_t>(pending_.size())});
  pending_.clear();
  pendingStart_ = described_;
  return S_OK;
}

HRESULT AviWriter::AppendLegacyIndex() {
  const std::vector<std::uint8_t> index = LegacyIndex(AviMoviTypeOffset(options_.superIndexRoom), firstRiffFrames_);
  const std::uint64_t moviEnd = described_;
  const HRESULT hr = AppendAll({index});
  if (FAILED(hr)) return hr;
  firstMoviEnd_ = moviEnd;
  firstRiffEnd_ = described_;
  firstClosed_ = true;
  return S_OK;
}

HRESULT AviWriter::WriteHeaders() {
  AviHeaderFields fields;
  fields.width = width_;
  fields.height = height_;
  fields.rate = rate_;
  fields.framesInFirstRiff = static_cast<std::uint32_t>(firstRiffFrames_.size());
  fields.frames = fileFrames_ - static_cast<std::uint32_t>(pending_.size());  // the indexed ones
  fields.largestChunk = largestChunk_;
  const std::uint64_t moviType = AviMoviTypeOffset(options_.superIndexRoom);
  fields.firstRiffSize = static_cast<std::uint32_t>((firstClosed_ ? firstRiffEnd_ : described_) - 8);
  fields.moviSize = static_cast<std::uint32_t>((firstClosed_ ? firstMoviEnd_ : described_) - moviType);
  fields.superIndex = superIndex_;
  fields.superIndexRoom = options_.superIndexRoom;
  if (!firstClosed_) {
    // Frames after the last index are outside the sizes until the next commit indexes them.
    fields.firstRiffSize = static_cast<std::uint32_t>(pendingStart_ - 8);
    fields.moviSize = static_cast<std::uint32_t>(pendingStart_ - moviType);
    fields.framesInFirstRiff -= static_cast<std::uint32_t>(pending_.size());
  }
  HRESULT hr = sink_->WriteAt(0, AviHeader(fields));
  if (SUCCEEDED(hr) && segmentRiff_ > 0) {
    hr = sink_->WriteAt(RiffSizeOffset(segmentRiff_), Le32Bytes(pendingStart_ - segmentRiff_ - 8));
    if (SUCCEEDED(hr))
      hr = sink_->WriteAt(AvixMoviSizeOffset(segmentRiff_), Le32Bytes(pendingStart_ - segmentRiff_ - 20));
  }
  return hr;
}

HRESULT AviWriter::Commit() {
  if (!sink_) return FAILED(failure_) ? failure_ : E_UNEXPECTED;
  HRESULT hr = IndexPending();
  // The frames and their index reach the disk before any header points at them.
  if (SUCCEEDED(hr)) hr = sink_->Flush();
  if (SUCCEEDED(hr)) hr = WriteHeaders();
  return FAILED(hr) ? Fail(hr) : S_OK;
}

HRESULT AviWriter::NextSegment() {
  HRESULT hr = IndexPending();
  if (SUCCEEDED(hr) && FirstRiffOpen()) hr = AppendLegacyIndex();
  if (SUCCEEDED(hr)) hr = sink_->Flush();
  if (SUCCEEDED(hr)) hr = WriteHeaders();
  if (FAILED(hr)) return Fail(hr);
  const std::uint64_t riff = described_;
  hr = AppendAll({AvixHeader(kAvixHeaderSize - 8, 4)});
  if (FAILED(hr)) return Fail(hr);
  segmentRiff_ = riff;
  segmentFrames_ = 0;
  pendingStart_ = described_;
  hr = WriteHeaders();
  return FAILED(hr) ? Fail(hr) : S_OK;
}

HRESULT AviWriter::FinishFile() {
  HRESULT hr = IndexPending();
  if (SUCCEEDED(hr) && FirstRiffOpen()) hr = AppendLegacyIndex();
  if (SUCCEEDED(hr)) hr = WriteHeaders();
  if (SUCCEEDED(hr)) hr = sink_->Flush();
  if (FAILED(hr)) return Fail(hr);
  framesBefore_ += fileFrames_;
  bytesBefore_ += described_;
  fileFrames_ = 0;
  sink_.reset();
  return S_OK;
}

HRESULT AviWriter::NextFile() {
  const HRESULT hr = FinishFile();
  if (FAILED(hr)) return hr;
  ++fileNumber_;
  return StartFile();
}

HRESULT AviWriter::Close() {
  if (!sink_) return failure_;
  return FinishFile();
}

HRESULT AviWriter::Fail(HRESULT hr) {
  failure_ = hr;
  if (!sink_) return hr;
  if (described_ == 0) {
    // Not even the header went in: there is no AVI to keep, so no file is left behind.
    sink_.reset();
    ::DeleteFileW(path_.c_str());
    return hr;
  }
  // Cut off what a failed append left, then index the frames written whole when there is
  // room; frames that stay outside every index are given up (cut off when the disk lets us).
  if (SUCCEEDED(sink_->Truncate(described_)) && FAILED(IndexPending()) && SUCCEEDED(sink_->Truncate(pendingStart_))) {
    described_ = pendingStart_;
  }
  fileFrames_ -= static_cast<std::uint32_t>(pending_.size());
  if (FirstRiffOpen()) firstRiffFrames_.resize(firstRiffFrames_.size() - pending_.size());
  pending_.clear();
  if (described_ == pendingStart_ && FirstRiffOpen() && FAILED(AppendLegacyIndex())) sink_->Truncate(described_);
  WriteHeaders();  // in place: needs no room
  sink_->Flush();
  framesBefore_ += fileFrames_;
  bytesBefore_ += described_;
  fileFrames_ = 0;
  sink_.reset();
  return hr;
}

}  // namespace q7::recording
