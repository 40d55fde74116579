#include "imaging/jpeg2000_encoder.h"

#include <algorithm>
#include <array>
#include <future>

#include "imaging/byte_writer.h"
#include "imaging/jpeg2000_block_coder.h"

namespace q7::imaging {
namespace j2k {
namespace {

constexpr int kMaxLevels = 5;
constexpr int kCodeBlockLog2 = 6;  // signalled in COD
static_assert(kCodeBlockSide == 1 << kCodeBlockLog2);
constexpr int kSampleBits = 8;

// ---------------------------------------------------------------------------------------------
// Packet headers (Annex B.10).

class HeaderBits {
 public:
  explicit HeaderBits(std::vector<std::uint8_t>& out) : out_(out) {}

  void Put(int bit) {
    if (free_ == 0) Emit();
    --free_;
    current_ |= static_cast<std::uint8_t>((bit & 1) << free_);
  }
  void Put(std::uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) Put(static_cast<int>((value >> i) & 1));
  }
  void Finish() {
    if (free_ != capacity_) Emit();
    if (!out_.empty() && lastWasFF_) out_.push_back(0);  // the header must not end in 0xFF
  }

 private:
  void Emit() {
    out_.push_back(current_);
    lastWasFF_ = current_ == 0xFF;
    capacity_ = free_ = lastWasFF_ ? 7 : 8;  // after 0xFF the next byte carries 7 bits
    current_ = 0;
  }

  std::vector<std::uint8_t>& out_;  // not owned
  std::uint8_t current_ = 0;
  int free_ = 8;
  int capacity_ = 8;
  bool lastWasFF_ = false;
};

class TagTree {
 public:
  TagTree(int width, int height) {
    int w = width, h = height;
    for (;;) {
      levels_.push_back({w, h, static_cast<std::size_t>(w) * h});
      if (w == 1 && h == 1) break;
      w = (w + 1) / 2;
      h = (h + 1) / 2;
    }
    std::size_t total = 0;
    for (Level& level : levels_) {
      level.offset = total;
      total += static_cast<std::size_t>(level.width) * level.height;
    }
    nodes_.assign(total, Node{});
  }

  void SetLeaf(int x, int y, int value) {
    for (std::size_t l = 0; l < levels_.size(); ++l, x /= 2, y /= 2) {
      Node& n = NodeAt(l, x, y);
      n.value = l == 0 ? value : std::min(n.value, value);
    }
  }

  // Codes whether the leaf's value is below `threshold`, revealing it fully if so (B.10.2).
  void Encode(HeaderBits& bits, int x, int y, int threshold) {
    std::array<Node*, 32> path{};
    int depth = 0;
    for (std::size_t l = 0; l < levels_.size(); ++l, x /= 2, y /= 2) path[depth++] = &NodeAt(l, x, y);
    int low = 0;
    for (int i = depth - 1; i >= 0; --i) {
      Node& node = *path[i];
      if (low > node.low)
        node.low = low;
      else
        low = node.low;
      while (low < threshold) {
        if (low >= node.value) {
          if (!node.known) {
            bits.Put(1);
            node.known = true;
          }
          break;
        }
        bits.Put(0);
        ++low;
      }
      node.low = low;
    }
  }

 private:
  struct Node {
    int value = INT32_MAX;
    int low = 0;
    bool known = false;
  };
  struct Level {
    int width;
    int height;
    std::size_t offset;
  };
  Node& NodeAt(std::size_t level, int x, int y) {
    const Level& l = levels_[level];
    return nodes_[l.offset + static_cast<std::size_t>(y) * l.width + x];
  }

  std::vector<Level> levels_;
  std::vector<Node> nodes_;
};

void PutPassCount(HeaderBits& bits, int passes) {
  if (passes == 1) {
    bits.Put(0);
  } else if (passes == 2) {
    bits.Put(0b10, 2);
  } else if (passes <= 5) {
    bits.Put(0b11, 2);
    bits.Put(passes - 3, 2);
  } else if (passes <= 36) {
    bits.Put(0b1111, 4);
    bits.Put(passes - 6, 5);
  } else {
    bits.Put(0b111111111, 9);
    bits.Put(passes - 37, 7);
  }
}

int FloorLog2(std::uint32_t v) {
  int n = -1;
  while (v != 0) {
    ++n;
    v >>= 1;
  }
  return n;
}

// ---------------------------------------------------------------------------------------------
// Tile layout.

struct Band {
  Orientation orient = kLL;
  int level = 0;                              // decomposition level, 1 = finest; the LL band carries the deepest level
  int x0 = 0, y0 = 0, width = 0, height = 0;  // inside the Mallat-ordered plane
  int blocksWide = 0, blocksHigh = 0;
  std::vector<CodedBlock> blocks;
  int exponent = 0;  // epsilon_b of the QCD marker
};

int Gain(Orientation o) { return o == kLL ? 0 : (o == kHH ? 2 : 1); }

// Bands in code-stream order: LL, then HL, LH, HH from the coarsest level to the finest.
std::vector<Band> LayoutBands(int width, int height, int levels) {
  std::vector<int> w(levels + 1), h(levels + 1);
  w[0] = width;
  h[0] = height;
  for (int d = 1; d <= levels; ++d) {
    w[d] = (w[d - 1] + 1) / 2;
    h[d] = (h[d - 1] + 1) / 2;
  }
  std::vector<Band> bands;
  auto add = [&bands](Orientation orient, int level, int x0, int y0, int bandWidth, int bandHeight) {
    Band b;
    b.orient = orient;
    b.level = level;
    b.x0 = x0;
    b.y0 = y0;
    b.width = bandWidth;
    b.height = bandHeight;
    b.blocksWide = (bandWidth + kCodeBlockSide - 1) / kCodeBlockSide;
    b.blocksHigh = (bandHeight + kCodeBlockSide - 1) / kCodeBlockSide;
    b.exponent = kSampleBits + Gain(orient);
    bands.push_back(std::move(b));
  };
  add(kLL, levels, 0, 0, w[levels], h[levels]);
  for (int d = levels; d >= 1; --d) {
    add(kHL, d, w[d], 0, w[d - 1] - w[d], h[d]);
    add(kLH, d, 0, h[d], w[d], h[d - 1] - h[d]);
    add(kHH, d, w[d], h[d], w[d - 1] - w[d], h[d - 1] - h[d]);
  }
  return bands;
}

std::uint64_t CountBlocks(const std::vector<Band>& bands) {
  std::uint64_t blocks = 0;
  for (const Band& b : bands) blocks += static_cast<std::uint64_t>(b.blocksWide) * b.blocksHigh;
  return blocks;
}

void CodeBands(const std::vector<std::int32_t>& plane, int width, std::vector<Band>& bands, ProgressCounter& done) {
  for (Band& b : bands) {
    b.blocks.clear();
    for (int by = 0; by < b.blocksHigh; ++by) {
      for (int bx = 0; bx < b.blocksWide; ++bx) {
        const int x = b.x0 + bx * kCodeBlockSide;
        const int y = b.y0 + by * kCodeBlockSide;
        const int w = std::min(kCodeBlockSide, b.width - bx * kCodeBlockSide);
        const int h = std::min(kCodeBlockSide, b.height - by * kCodeBlockSide);
        b.blocks.push_back(
            EncodeCodeBlock(plane.data() + static_cast<std::size_t>(y) * width + x, width, w, h, b.orient));
        done.Add(1);
      }
    }
  }
}

// One packet: the given bands of one component at one resolution, in one precinct, layer 0.
void WritePacket(std::vector<std::uint8_t>& out, const std::vector<const Band*>& bands, int guardBits) {
  bool any = false;
  for (const Band* b : bands) {
    for (const CodedBlock& block : b->blocks) any = any || block.passes > 0;
  }
  HeaderBits bits(out);
  bits.Put(any ? 1 : 0);
  if (!any) {
    bits.Finish();
    return;
  }
  for (const Band* b : bands) {
    const int magnitudeBits = guardBits + b->exponent - 1;  // M_b
    TagTree inclusion(b->blocksWide, b->blocksHigh);
    TagTree zeroPlanes(b->blocksWide, b->blocksHigh);
    for (int i = 0; i < static_cast<int>(b->blocks.size()); ++i) {
      const CodedBlock& block = b->blocks[i];
      const int x = i % b->blocksWide, y = i / b->blocksWide;
      inclusion.SetLeaf(x, y, block.passes > 0 ? 0 : 1);
      zeroPlanes.SetLeaf(x, y, block.passes > 0 ? magnitudeBits - block.bitPlanes : magnitudeBits);
    }
    for (int i = 0; i < static_cast<int>(b->blocks.size()); ++i) {
      const CodedBlock& block = b->blocks[i];
      const int x = i % b->blocksWide, y = i / b->blocksWide;
      inclusion.Encode(bits, x, y, 1);
      if (block.passes == 0) continue;
      zeroPlanes.Encode(bits, x, y, INT32_MAX);
      PutPassCount(bits, block.passes);
      // Lblock starts at 3; the length field has Lblock + floor(log2(passes)) bits.
      const int lengthBits = FloorLog2(static_cast<std::uint32_t>(block.bytes.size())) + 1;
      const int available = 3 + FloorLog2(static_cast<std::uint32_t>(block.passes));
      const int extra = std::max(0, lengthBits - available);
      for (int k = 0; k < extra; ++k) bits.Put(1);
      bits.Put(0);
      bits.Put(static_cast<std::uint32_t>(block.bytes.size()), available + extra);
    }
  }
  bits.Finish();
  for (const Band* b : bands) {
    for (const CodedBlock& block : b->blocks) out.insert(out.end(), block.bytes.begin(), block.bytes.end());
  }
}

void Lift53(std::int32_t* x, int n) {
  if (n < 2) return;
  for (int i = 1; i < n; i += 2) x[i] -= (x[i - 1] + (i + 1 < n ? x[i + 1] : x[i - 1])) >> 1;
  for (int i = 0; i < n; i += 2) {
    const std::int32_t left = i > 0 ? x[i - 1] : x[i + 1];
    const std::int32_t right = i + 1 < n ? x[i + 1] : x[i - 1];
    x[i] += (left + right + 2) >> 2;
  }
}

}  // namespace

int WaveletLevels(int width, int height) {
  int levels = 0;
  while (levels < kMaxLevels && (std::min(width, height) >> (levels + 1)) > 0) ++levels;
  return levels;
}

void ForwardWavelet53(std::span<std::int32_t> plane, int width, int height, int levels) {
  std::vector<std::int32_t> line(std::max(width, height)), split(line.size());
  int w = width, h = height;
  for (int level = 0; level < levels && (w > 1 || h > 1); ++level) {
    const int lowW = (w + 1) / 2, lowH = (h + 1) / 2;
    auto deinterleave = [&](int n) {
      const int low = (n + 1) / 2;
      for (int i = 0; i < n; ++i) split[(i & 1) ? low + i / 2 : i / 2] = line[i];
    };
    for (int x = 0; x < w; ++x) {
      for (int y = 0; y < h; ++y) line[y] = plane[static_cast<std::size_t>(y) * width + x];
      Lift53(line.data(), h);
      deinterleave(h);
      for (int y = 0; y < h; ++y) plane[static_cast<std::size_t>(y) * width + x] = split[y];
    }
    for (int y = 0; y < h; ++y) {
      std::int32_t* row = plane.data() + static_cast<std::size_t>(y) * width;
      std::copy(row, row + w, line.begin());
      Lift53(line.data(), w);
      deinterleave(w);
      std::copy(split.begin(), split.begin() + w, row);
    }
    w = lowW;
    h = lowH;
  }
}

std::vector<std::uint8_t> EncodeCodestream(std::span<const std::vector<std::uint8_t>> planes, int width, int height,
                                           const EncodeProgress& progress) {
  const int components = static_cast<int>(planes.size());
  const std::size_t samples = static_cast<std::size_t>(width) * height;
  if ((components != 1 && components != 3) || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
    return {};
  }
  for (const auto& p : planes) {
    if (p.size() != samples) return {};
  }
  const bool colourTransform = components == 3;
  const int levels = WaveletLevels(width, height);

  // DC level shift, then the reversible colour transform (Annex G.2).
  std::vector<std::vector<std::int32_t>> coefficients(components, std::vector<std::int32_t>(samples));
  for (std::size_t i = 0; i < samples; ++i) {
    if (colourTransform) {
      const std::int32_t r = planes[0][i] - 128, g = planes[1][i] - 128, b = planes[2][i] - 128;
      coefficients[0][i] = (r + 2 * g + b) >> 2;
      coefficients[1][i] = b - g;
      coefficients[2][i] = r - g;
    } else {
      coefficients[0][i] = planes[0][i] - 128;
    }
  }
  // Components are independent from here on; coding them side by side nearly halves the
  // time for a full camera frame on two cores.
  // Coding the code-blocks is most of the work, so they measure the progress.
  std::vector<std::vector<Band>> bands(components, LayoutBands(width, height, levels));
  ProgressCounter blocksDone(progress, CountBlocks(bands[0]) * components);
  std::vector<std::future<void>> work;
  for (int c = 0; c < components; ++c) {
    work.push_back(std::async(std::launch::async, [&, c] {
      ForwardWavelet53(coefficients[c], width, height, levels);
      CodeBands(coefficients[c], width, bands[c], blocksDone);
    }));
  }
  for (auto& w : work) w.get();  // rethrows what a worker threw

  // Enough guard bits that every block's bit-planes fit in M_b = G + epsilon_b - 1; colour
  // differences and wavelet gain can exceed the nominal 8 bits.
  int guardBits = 2;
  for (const auto& componentBands : bands) {
    for (const Band& b : componentBands) {
      for (const CodedBlock& block : b.blocks) guardBits = std::max(guardBits, block.bitPlanes - b.exponent + 1);
    }
  }
  if (guardBits > 7) return {};

  std::vector<std::uint8_t> out;
  ByteWriter w(out);
  w.Be16(0xFF4F);  // SOC
  w.Be16(0xFF51);  // SIZ
  w.Be16(38 + 3 * components);
  w.Be16(0);  // baseline capabilities
  w.Be32(width);
  w.Be32(height);
  w.Be32(0);
  w.Be32(0);
  w.Be32(width);  // one tile
  w.Be32(height);
  w.Be32(0);
  w.Be32(0);
  w.Be16(components);
  for (int c = 0; c < components; ++c) {
    w.U8(kSampleBits - 1);  // unsigned 8-bit
    w.U8(1);
    w.U8(1);
  }
  w.Be16(0xFF52);  // COD
  w.Be16(12);
  w.U8(0);    // default precincts, no SOP/EPH
  w.U8(0);    // LRCP
  w.Be16(1);  // one layer
  w.U8(colourTransform ? 1 : 0);
  w.U8(levels);
  w.U8(kCodeBlockLog2 - 2);
  w.U8(kCodeBlockLog2 - 2);
  w.U8(0);  // plain code-block passes
  w.U8(1);  // reversible 5/3
  const std::vector<Band>& layout = bands[0];
  w.Be16(0xFF5C);  // QCD
  w.Be16(static_cast<std::uint32_t>(3 + layout.size()));
  w.U8(guardBits << 5);  // no quantisation
  for (const Band& b : layout) w.U8(b.exponent << 3);

  const std::size_t tileStart = out.size();
  w.Be16(0xFF90);  // SOT
  w.Be16(10);
  w.Be16(0);
  w.Be32(0);  // Psot, patched below
  w.U8(0);
  w.U8(1);
  w.Be16(0xFF93);  // SOD
  for (int resolution = 0; resolution <= levels; ++resolution) {
    for (int c = 0; c < components; ++c) {
      std::vector<const Band*> packetBands;
      if (resolution == 0) {
        packetBands.push_back(&bands[c][0]);
      } else {
        for (int k = 0; k < 3; ++k) packetBands.push_back(&bands[c][1 + (resolution - 1) * 3 + k]);
      }
      WritePacket(out, packetBands, guardBits);
    }
  }
  PatchBe32(out, tileStart + 6, static_cast<std::uint32_t>(out.size() - tileStart));
  w.Be16(0xFFD9);  // EOC
  return out;
}

std::vector<std::uint8_t> WrapJp2(std::span<const std::uint8_t> codestream, int width, int height, int components) {
  std::vector<std::uint8_t> out;
  if (codestream.empty()) return out;
  ByteWriter w(out);
  w.Be32(12);
  w.Text("jP  ");
  w.Be32(0x0D0A870A);
  w.Be32(20);
  w.Text("ftyp");
  w.Text("jp2 ");  // brand
  w.Be32(0);       // minor version
  w.Text("jp2 ");  // compatibility list
  w.Be32(8 + 22 + 15);
  w.Text("jp2h");
  w.Be32(22);
  w.Text("ihdr");
  w.Be32(height);
  w.Be32(width);
  w.Be16(components);
  w.U8(kSampleBits - 1);
  w.U8(7);  // compression: JPEG 2000
  w.U8(0);  // colour space known
  w.U8(0);  // no intellectual property box
  w.Be32(15);
  w.Text("colr");
  w.U8(1);  // enumerated colour space
  w.U8(0);
  w.U8(0);
  w.Be32(components == 3 ? 16 : 17);  // sRGB or greyscale
  w.Be32(static_cast<std::uint32_t>(8 + codestream.size()));
  w.Text("jp2c");
  w.Bytes(codestream.data(), codestream.size());
  return out;
}

}  // namespace j2k

namespace {

std::vector<std::vector<std::uint8_t>> RgbPlanes(const Image& image) {
  const std::size_t samples = static_cast<std::size_t>(image.width) * image.height;
  std::vector<std::vector<std::uint8_t>> planes(3, std::vector<std::uint8_t>(samples));
  for (std::size_t i = 0; i < samples; ++i) {
    planes[0][i] = image.bgr[i * 3 + 2];
    planes[1][i] = image.bgr[i * 3 + 1];
    planes[2][i] = image.bgr[i * 3];
  }
  return planes;
}

}  // namespace

std::vector<std::uint8_t> EncodeJpc(const Image& image, const EncodeProgress& progress) {
  if (!image.IsValid()) return {};
  const auto planes = RgbPlanes(image);
  return j2k::EncodeCodestream(planes, image.width, image.height, progress);
}

std::vector<std::uint8_t> EncodeJp2(const Image& image, const EncodeProgress& progress) {
  return j2k::WrapJp2(EncodeJpc(image, progress), image.width, image.height, 3);
}

}  // namespace q7::imaging
