#include "recording/avi_layout.h"

#include <cmath>
#include <numeric>

#include "imaging/byte_writer.h"

namespace q7::recording {
namespace {

using imaging::ByteWriter;

constexpr std::uint32_t kAvifHasIndex = 0x10;
constexpr std::uint32_t kAvifIsInterleaved = 0x100;
constexpr std::uint32_t kAvifTrustChunkType = 0x800;
constexpr std::uint32_t kAviifKeyframe = 0x10;
constexpr std::uint8_t kIndexOfIndexes = 0;
constexpr std::uint8_t kIndexOfChunks = 1;

// Offsets within the header, for a super index with room for `room` entries.
constexpr std::size_t kAvihEnd = 88;
constexpr std::size_t kStrlStart = 88;
constexpr std::size_t kIndxStart = 212;
constexpr std::size_t kSuperIndexHeader = 24;
constexpr std::size_t kOdmlListSize = 4 + 8 + 248;
constexpr std::size_t IndxEnd(std::size_t room) { return kIndxStart + 8 + kSuperIndexHeader + 16 * room; }
constexpr std::size_t OdmlEnd(std::size_t room) { return IndxEnd(room) + 8 + kOdmlListSize; }

void Le64(ByteWriter& w, std::uint64_t v) {
  w.Le32(static_cast<std::uint32_t>(v));
  w.Le32(static_cast<std::uint32_t>(v >> 32));
}

// Byte by byte: GCC 12 takes a vector insert of four chars here for an overflow.
void FourCc(ByteWriter& w, std::string_view code) {
  for (char c : code) w.U8(static_cast<std::uint8_t>(c));
}

void ListHeader(ByteWriter& w, std::size_t size, std::string_view type) {
  FourCc(w, "LIST");
  w.Le32(static_cast<std::uint32_t>(size));
  FourCc(w, type);
}

}  // namespace

AviFrameRate FrameRateOf(double framesPerSecond) {
  if (!(framesPerSecond > 0)) return {1, 1};
  const auto milli = static_cast<std::uint32_t>(std::min(std::llround(framesPerSecond * 1000), 4'000'000'000LL));
  if (milli == 0) return {1, 1000};
  const std::uint32_t common = std::gcd(milli, 1000u);
  return {milli / common, 1000 / common};
}

std::size_t AviHeaderSize(std::size_t superIndexRoom) { return OdmlEnd(superIndexRoom) + 12; }
std::size_t AviMoviTypeOffset(std::size_t superIndexRoom) { return OdmlEnd(superIndexRoom) + 8; }

std::vector<std::uint8_t> AviHeader(const AviHeaderFields& f) {
  const std::size_t room = f.superIndexRoom;
  std::vector<std::uint8_t> out;
  out.reserve(AviHeaderSize(room));
  ByteWriter w(out);
  const double perSecond = f.rate.scale == 0 ? 1.0 : static_cast<double>(f.rate.rate) / f.rate.scale;
  const std::uint32_t buffer = f.largestChunk + 8;

  FourCc(w, "RIFF");
  w.Le32(f.firstRiffSize);
  FourCc(w, "AVI ");
  ListHeader(w, OdmlEnd(room) - 20, "hdrl");

  FourCc(w, "avih");
  w.Le32(56);
  w.Le32(perSecond > 0 ? static_cast<std::uint32_t>(std::llround(1e6 / perSecond)) : 0);
  w.Le32(static_cast<std::uint32_t>(std::min(4e9, buffer * perSecond)));  // bytes per second at most
  w.Le32(0);                                                              // padding granularity
  w.Le32(kAvifHasIndex | kAvifIsInterleaved | kAvifTrustChunkType);
  w.Le32(f.framesInFirstRiff);
  w.Le32(0);  // initial frames
  w.Le32(1);  // streams
  w.Le32(buffer);
  w.Le32(static_cast<std::uint32_t>(f.width));
  w.Le32(static_cast<std::uint32_t>(f.height));
  w.Zeros(16);

  ListHeader(w, IndxEnd(room) - kStrlStart - 8, "strl");
  FourCc(w, "strh");
  w.Le32(56);
  FourCc(w, "vids");
  FourCc(w, "MJPG");
  w.Le32(0);  // flags
  w.Le16(0);  // priority
  w.Le16(0);  // language
  w.Le32(0);  // initial frames
  w.Le32(f.rate.scale);
  w.Le32(f.rate.rate);
  w.Le32(0);  // start
  w.Le32(f.frames);
  w.Le32(buffer);
  w.Le32(0xFFFFFFFF);  // quality: the default
  w.Le32(0);           // sample size: frames vary
  w.Le16(0);
  w.Le16(0);
  w.Le16(static_cast<std::uint32_t>(f.width));
  w.Le16(static_cast<std::uint32_t>(f.height));

  FourCc(w, "strf");
  w.Le32(40);
  w.Le32(40);
  w.Le32(static_cast<std::uint32_t>(f.width));
  w.Le32(static_cast<std::uint32_t>(f.height));
  w.Le16(1);   // planes
  w.Le16(24);  // bits per pixel, once decoded
  FourCc(w, "MJPG");
  w.Le32(static_cast<std::uint32_t>(f.width) * static_cast<std::uint32_t>(f.height) * 3);
  w.Zeros(16);

  FourCc(w, "indx");
  w.Le32(static_cast<std::uint32_t>(kSuperIndexHeader + 16 * room));
  w.Le16(4);  // longs per entry
  w.U8(0);    // sub-type
  w.U8(kIndexOfIndexes);
  const std::size_t used = std::min(room, f.superIndex.size());
  w.Le32(static_cast<std::uint32_t>(used));
  FourCc(w, "00dc");
  w.Zeros(12);
  for (std::size_t i = 0; i < used; ++i) {
    Le64(w, f.superIndex[i].offset);
    w.Le32(f.superIndex[i].size);
    w.Le32(f.superIndex[i].frames);
  }
  w.Zeros(16 * (room - used));

  ListHeader(w, kOdmlListSize, "odml");
  FourCc(w, "dmlh");
  w.Le32(248);
  w.Le32(f.frames);
  w.Zeros(244);

  ListHeader(w, f.moviSize, "movi");
  return out;
}

std::vector<std::uint8_t> AvixHeader(std::uint32_t riffSize, std::uint32_t moviSize) {
  std::vector<std::uint8_t> out;
  out.reserve(kAvixHeaderSize);
  ByteWriter w(out);
  FourCc(w, "RIFF");
  w.Le32(riffSize);
  FourCc(w, "AVIX");
  ListHeader(w, moviSize, "movi");
  return out;
}

std::vector<std::uint8_t> FrameChunkHeader(std::uint32_t size) {
  std::vector<std::uint8_t> out;
  out.reserve(8);
  ByteWriter w(out);
  FourCc(w, "00dc");
  w.Le32(size);
  return out;
}

std::uint64_t StandardIndexSize(std::size_t entries) { return 8 + 24 + 8 * static_cast<std::uint64_t>(entries); }

std::vector<std::uint8_t> StandardIndex(std::uint64_t baseOffset, std::span<const AviIndexEntry> entries) {
  std::vector<std::uint8_t> out;
  out.reserve(StandardIndexSize(entries.size()));
  ByteWriter w(out);
  FourCc(w, "ix00");
  w.Le32(static_cast<std::uint32_t>(24 + 8 * entries.size()));
  w.Le16(2);  // longs per entry
  w.U8(0);    // sub-type
  w.U8(kIndexOfChunks);
  w.Le32(static_cast<std::uint32_t>(entries.size()));
  FourCc(w, "00dc");
  Le64(w, baseOffset);
  w.Le32(0);
  for (const AviIndexEntry& e : entries) {
    w.Le32(static_cast<std::uint32_t>(e.dataOffset - baseOffset));
    w.Le32(e.size);  // bit 31 clear: every JPEG frame is a key frame
  }
  return out;
}

std::uint64_t LegacyIndexSize(std::size_t entries) { return 8 + 16 * static_cast<std::uint64_t>(entries); }

std::vector<std::uint8_t> LegacyIndex(std::uint64_t moviTypeOffset, std::span<const AviIndexEntry> entries) {
  std::vector<std::uint8_t> out;
  out.reserve(LegacyIndexSize(entries.size()));
  ByteWriter w(out);
  FourCc(w, "idx1");
  w.Le32(static_cast<std::uint32_t>(16 * entries.size()));
  for (const AviIndexEntry& e : entries) {
    FourCc(w, "00dc");
    w.Le32(kAviifKeyframe);
    w.Le32(static_cast<std::uint32_t>(e.dataOffset - 8 - moviTypeOffset));
    w.Le32(e.size);
  }
  return out;
}

std::wstring NumberedPath(const std::wstring& firstPath, int number) {
  if (number <= 1) return firstPath;
  const std::size_t slash = firstPath.find_last_of(L"\\/");
  const std::size_t dot = firstPath.rfind(L'.');
  const bool hasExtension = dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash);
  const std::size_t stem = hasExtension ? dot : firstPath.size();
  std::wstring digits = std::to_wstring(number);
  if (digits.size() < 3) digits.insert(0, 3 - digits.size(), L'0');
  return firstPath.substr(0, stem) + L"_" + digits + firstPath.substr(stem);
}

}  // namespace q7::recording
