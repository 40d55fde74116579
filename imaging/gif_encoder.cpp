#include "imaging/gif_encoder.h"

#include <algorithm>

#include "imaging/byte_writer.h"
#include "imaging/palette_quantizer.h"

namespace q7::imaging {
namespace gif {
namespace {

constexpr int kMaxCodeBits = 12;
// Dictionary codes stop short of 4095 before a clear, as giflib's do, so that no reader
// ever meets a completely full table.
constexpr std::uint32_t kCodeLimit = (1u << kMaxCodeBits) - 1;

// Codes packed from the least significant bit up, written out 32 bits at a time.
class CodePacker {
 public:
  explicit CodePacker(std::vector<std::uint8_t>& out) : out_(out) {}

  void Put(std::uint32_t code, int width) {
    bits_ |= std::uint64_t{code} << count_;
    count_ += width;
    if (count_ >= 32) {
      for (int i = 0; i < 4; ++i, bits_ >>= 8) out_.push_back(static_cast<std::uint8_t>(bits_));
      count_ -= 32;
    }
  }
  void Finish() {
    for (; count_ > 0; count_ -= 8, bits_ >>= 8) out_.push_back(static_cast<std::uint8_t>(bits_));
    count_ = 0;
  }

 private:
  std::vector<std::uint8_t>& out_;  // not owned
  std::uint64_t bits_ = 0;
  int count_ = 0;
};

// The dictionary: (prefix code, symbol) -> code, in an open-addressed table small enough to
// stay in the processor's cache. A slot holds (prefix << 8 | symbol) << 12 | code; as every
// dictionary code is above the end code, 0 marks an empty slot.
class Dictionary {
 public:
  Dictionary() : slots_(kSlots) {}

  // The code of the string, or 0; Add then fills the slot this lookup stopped at.
  std::uint32_t Find(std::uint32_t prefix, std::uint32_t symbol) {
    key_ = (prefix << 8) | symbol;
    slot_ = (key_ * 0x9E3779B1u) >> (32 - kSlotBits);
    std::uint32_t entry;
    while ((entry = slots_[slot_]) != 0) {
      if ((entry >> kMaxCodeBits) == key_) return entry & kCodeLimit;
      slot_ = (slot_ + 1) & (kSlots - 1);
    }
    return 0;
  }
  void Add(std::uint32_t code) { slots_[slot_] = (key_ << kMaxCodeBits) | code; }
  void Clear() { std::fill(slots_.begin(), slots_.end(), 0u); }

 private:
  static constexpr int kSlotBits = 14;  // 16,384 slots for at most 4,095 entries
  static constexpr std::uint32_t kSlots = 1u << kSlotBits;

  std::vector<std::uint32_t> slots_;
  std::uint32_t key_ = 0;
  std::uint32_t slot_ = 0;
};

}  // namespace

std::vector<std::uint8_t> LzwEncode(std::span<const std::uint8_t> symbols, int minCodeSize) {
  std::vector<std::uint8_t> out;
  out.reserve(symbols.size() / 2 + 16);
  CodePacker packer(out);
  Dictionary dictionary;
  const std::uint32_t clear = 1u << minCodeSize, end = clear + 1;
  int width = minCodeSize + 1;
  std::uint32_t next = end + 1;
  // A reader widens its codes once its table, one entry behind ours, reaches the width's limit.
  auto put = [&](std::uint32_t code) {
    packer.Put(code, width);
    if (next >= (1u << width) && width < kMaxCodeBits) ++width;
  };

  packer.Put(clear, width);
  if (!symbols.empty()) {
    std::uint32_t prefix = symbols[0];
    for (std::size_t i = 1; i < symbols.size(); ++i) {
      const std::uint32_t symbol = symbols[i];
      if (const std::uint32_t code = dictionary.Find(prefix, symbol); code != 0) {
        prefix = code;
        continue;
      }
      put(prefix);
      if (next < kCodeLimit) {
        dictionary.Add(next++);
      } else {
        put(clear);
        dictionary.Clear();
        width = minCodeSize + 1;
        next = end + 1;
      }
      prefix = symbol;
    }
    put(prefix);
  }
  put(end);
  packer.Finish();
  return out;
}

}  // namespace gif

std::vector<std::uint8_t> EncodeGif(const Image& image, const GifOptions& options) {
  std::vector<std::uint8_t> out;
  if (!image.IsValid() || image.width > 0xFFFF || image.height > 0xFFFF) return out;
  const IndexedImage indexed = Quantize(image, options.dither);
  // The colour table holds a power of two colours, at least 2; LZW takes at least 2-bit symbols.
  int tableBits = 1;
  while ((std::size_t{1} << tableBits) < indexed.palette.size()) ++tableBits;
  const int minCodeSize = std::max(2, tableBits);
  const std::vector<std::uint8_t> codes = gif::LzwEncode(indexed.indices, minCodeSize);

  out.reserve(13 + 3 * 256 + 11 + codes.size() + codes.size() / 255 + 3);
  ByteWriter w(out);
  w.Text("GIF89a");
  w.Le16(image.width);  // logical screen: the image's size
  w.Le16(image.height);
  w.U8(0x80 | (7 << 4) | (tableBits - 1));  // global colour table, 8 bits per primary, its size
  w.U8(0);                                  // background colour index
  w.U8(0);                                  // no aspect ratio given
  for (const PaletteColour& c : indexed.palette) {
    w.U8(c.r);
    w.U8(c.g);
    w.U8(c.b);
  }
  w.Zeros(3 * ((std::size_t{1} << tableBits) - indexed.palette.size()));
  w.U8(0x2C);  // image descriptor: at the origin, the screen's size
  w.Le16(0);
  w.Le16(0);
  w.Le16(image.width);
  w.Le16(image.height);
  w.U8(0);  // no local colour table, not interlaced
  w.U8(minCodeSize);
  for (std::size_t at = 0; at < codes.size(); at += 255) {
    const std::size_t n = std::min<std::size_t>(255, codes.size() - at);
    w.U8(static_cast<std::uint32_t>(n));
    w.Bytes(codes.data() + at, n);
  }
  w.U8(0);     // end of the image data
  w.U8(0x3B);  // trailer
  return out;
}

}  // namespace q7::imaging
