#pragma once
// The bytes of an MJPEG AVI file with OpenDML extensions, as plain functions of the numbers
// they record; recording/avi_writer.h decides what goes where and when.
//
// The file:   RIFF 'AVI '  LIST 'hdrl' (avih, LIST 'strl' (strh, strf, indx), LIST 'odml' (dmlh))
//                          LIST 'movi' (00dc frames, ix00 standard indexes)  idx1
//             RIFF 'AVIX'  LIST 'movi' (00dc frames, ix00 standard indexes)   ...
// The super index 'indx' in the header points at every ix00 chunk; its room is reserved when
// the file is made, so the header never grows. idx1, the index of AVI 1.0 readers, covers the
// first RIFF only.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace q7::recording {

// A frame chunk as the indexes know it.
struct AviIndexEntry {
  std::uint64_t dataOffset = 0;  // of the chunk's data (its 8-byte header just before)
  std::uint32_t size = 0;        // 0: a dropped frame, shown as a repeat of the one before
};

// One ix00 chunk as the super index knows it.
struct AviSuperIndexEntry {
  std::uint64_t offset = 0;  // of the ix00 chunk's header
  std::uint32_t size = 0;    // of the whole chunk, header included
  std::uint32_t frames = 0;
};

// Frames per second as rate / scale.
struct AviFrameRate {
  std::uint32_t rate = 0;
  std::uint32_t scale = 1;
};
// 1/1000 of a frame per second exact; 0 or less gives 1 frame/s.
AviFrameRate FrameRateOf(double framesPerSecond);

struct AviHeaderFields {
  int width = 0;
  int height = 0;
  AviFrameRate rate;
  std::uint32_t framesInFirstRiff = 0;  // avih's count, for AVI 1.0 readers
  std::uint32_t frames = 0;             // all the file's frames: strh's and dmlh's count
  std::uint32_t largestChunk = 0;       // the suggested buffer size
  std::uint32_t firstRiffSize = 0;      // the first RIFF's size field
  std::uint32_t moviSize = 0;           // its movi LIST's size field
  std::span<const AviSuperIndexEntry> superIndex;
  std::size_t superIndexRoom = 0;  // entries the header has room for
};

// Size of the header: from the file's first byte to the first frame chunk.
std::size_t AviHeaderSize(std::size_t superIndexRoom);
// Offset of the 'movi' list's type ('movi'), which idx1 offsets count from, and of its size.
std::size_t AviMoviTypeOffset(std::size_t superIndexRoom);
// The whole header, AviHeaderSize bytes; entries beyond the room are left out.
std::vector<std::uint8_t> AviHeader(const AviHeaderFields& fields);

// The start of each further RIFF: RIFF <size> 'AVIX' LIST <moviSize> 'movi'.
inline constexpr std::size_t kAvixHeaderSize = 24;
std::vector<std::uint8_t> AvixHeader(std::uint32_t riffSize, std::uint32_t moviSize);
// Where the two size fields of a RIFF that starts at `riffOffset` sit.
inline constexpr std::uint64_t RiffSizeOffset(std::uint64_t riffOffset) { return riffOffset + 4; }
inline constexpr std::uint64_t AvixMoviSizeOffset(std::uint64_t riffOffset) { return riffOffset + 16; }

// A frame chunk's 8-byte header: '00dc' and the data's size (data is padded to an even size).
std::vector<std::uint8_t> FrameChunkHeader(std::uint32_t size);
inline constexpr std::uint64_t PaddedChunkSize(std::uint32_t dataSize) { return 8 + dataSize + (dataSize & 1); }

// An ix00 standard index of frames whose data lies at most 4 GB after `baseOffset`.
std::uint64_t StandardIndexSize(std::size_t entries);
std::vector<std::uint8_t> StandardIndex(std::uint64_t baseOffset, std::span<const AviIndexEntry> entries);

// idx1 over the first RIFF's frames; offsets count from the 'movi' type at `moviTypeOffset`.
std::uint64_t LegacyIndexSize(std::size_t entries);
std::vector<std::uint8_t> LegacyIndex(std::uint64_t moviTypeOffset, std::span<const AviIndexEntry> entries);

// The n-th file of a recording that goes on in numbered files: "a\Q7_x.avi" is file 1, file
// 2 is "a\Q7_x_002.avi".
std::wstring NumberedPath(const std::wstring& firstPath, int number);

}  // namespace q7::recording
