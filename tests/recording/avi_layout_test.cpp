#include "recording/avi_layout.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace q7::recording {
namespace {

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint64_t Le64(const std::vector<std::uint8_t>& b, std::size_t at) {
  return Le32(b, at) | static_cast<std::uint64_t>(Le32(b, at + 4)) << 32;
}

// Walks RIFF chunks and lists, noting where each chunk's data starts ("hdrl/strl/indx");
// a size that runs past its parent fails the test.
void Walk(const std::vector<std::uint8_t>& b, std::size_t from, std::size_t to, const std::string& path,
          std::map<std::string, std::size_t>& found) {
  while (from + 8 <= to) {
    const std::string id(b.begin() + from, b.begin() + from + 4);
    const std::size_t size = Le32(b, from + 4);
    const bool list = id == "RIFF" || id == "LIST";
    // The header stops inside the RIFF and its 'movi' list, whose frames come later.
    const bool runsOn = id == "RIFF" || (list && std::string(b.begin() + from + 8, b.begin() + from + 12) == "movi");
    ASSERT_TRUE(from + 8 + size <= to || runsOn) << path << id;
    if (list) {
      const std::string type(b.begin() + from + 8, b.begin() + from + 12);
      found[path + type] = from + 12;
      Walk(b, from + 12, std::min(to, from + 8 + size), path + type + "/", found);
    } else {
      found[path + id] = from + 8;
    }
    from += 8 + size + (size & 1);
  }
}

TEST(AviLayout, TheHeaderNestsItsChunksAndEndsWhereTheFramesBegin) {
  const AviSuperIndexEntry entries[] = {{1000, 64, 30}, {90000, 48, 25}};
  AviHeaderFields fields{2592, 1944, {15, 1}, 40, 55, 900000, 123456, 120000, entries, 8};
  const std::vector<std::uint8_t> header = AviHeader(fields);
  ASSERT_EQ(header.size(), AviHeaderSize(8));
  std::map<std::string, std::size_t> at;
  Walk(header, 0, header.size(), "", at);
  EXPECT_EQ(Le32(header, 4), 123456u);
  EXPECT_EQ(at["AVI /movi"], header.size());
  EXPECT_EQ(at["AVI /movi"] - 4, AviMoviTypeOffset(8));
  EXPECT_EQ(Le32(header, at["AVI /movi"] - 8), 120000u);
  const std::size_t avih = at.at("AVI /hdrl/avih"), strh = at.at("AVI /hdrl/strl/strh");
  EXPECT_EQ(Le32(header, avih), 66667u);      // microseconds per frame
  EXPECT_EQ(Le32(header, avih + 16), 40u);    // frames in the first RIFF
  EXPECT_EQ(Le32(header, avih + 32), 2592u);  // width
  EXPECT_EQ(Le32(header, strh + 20), 1u);     // scale
  EXPECT_EQ(Le32(header, strh + 24), 15u);    // rate
  EXPECT_EQ(Le32(header, strh + 32), 55u);    // every frame
  EXPECT_EQ(Le32(header, at.at("AVI /hdrl/odml/dmlh")), 55u);
  const std::size_t indx = at.at("AVI /hdrl/strl/indx");
  EXPECT_EQ(Le32(header, indx + 4), 2u);  // entries in use, of room for 8
  EXPECT_EQ(Le64(header, indx + 24 + 16), 90000u);
  EXPECT_EQ(Le32(header, indx + 24 + 16 + 12), 25u);
}

TEST(AviLayout, IndexesPointAtTheFramesData) {
  const AviIndexEntry frames[] = {{5000 + 8, 300}, {5316 + 8, 0}, {5324 + 8, 301}};
  const std::vector<std::uint8_t> standard = StandardIndex(4096, frames);
  ASSERT_EQ(standard.size(), StandardIndexSize(3));
  EXPECT_EQ(Le64(standard, 20), 4096u);  // the base
  EXPECT_EQ(Le32(standard, 32), 5008u - 4096u);
  EXPECT_EQ(Le32(standard, 44), 0u) << "a dropped frame";
  EXPECT_EQ(Le32(standard, 48), 5332u - 4096u);
  const std::vector<std::uint8_t> legacy = LegacyIndex(4000, frames);
  ASSERT_EQ(legacy.size(), LegacyIndexSize(3));
  EXPECT_EQ(Le32(legacy, 8 + 16 * 2 + 8), 5324u - 4000u) << "the chunk's header, from 'movi'";
  EXPECT_EQ(Le32(legacy, 8 + 16 * 2 + 12), 301u);
}

TEST(AviLayout, FrameRateIsExactToAThousandth) {
  EXPECT_EQ(FrameRateOf(15).rate, 15u);
  EXPECT_EQ(FrameRateOf(15).scale, 1u);
  EXPECT_EQ(FrameRateOf(29.97).rate, 2997u);
  EXPECT_EQ(FrameRateOf(29.97).scale, 100u);
  EXPECT_EQ(FrameRateOf(0.2).rate, 1u);
  EXPECT_EQ(FrameRateOf(0.2).scale, 5u);
  EXPECT_EQ(FrameRateOf(0).rate, 1u) << "no rate known yet";
}

TEST(AviLayout, NumberedFilesGoBesideTheFirst) {
  EXPECT_EQ(NumberedPath(L"C:\\v\\Q7_20260101_120000.avi", 1), L"C:\\v\\Q7_20260101_120000.avi");
  EXPECT_EQ(NumberedPath(L"C:\\v\\Q7_20260101_120000.avi", 2), L"C:\\v\\Q7_20260101_120000_002.avi");
  EXPECT_EQ(NumberedPath(L"C:\\v.x\\rec", 1234), L"C:\\v.x\\rec_1234");
}

}  // namespace
}  // namespace q7::recording
