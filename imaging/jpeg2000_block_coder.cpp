#include "imaging/jpeg2000_block_coder.h"

#include <algorithm>
#include <array>
#include <utility>

namespace q7::imaging::j2k {
namespace {

// ---------------------------------------------------------------------------------------------
// MQ arithmetic coder (Annex C).

struct MqState {
  std::uint16_t qe;
  std::uint8_t nextMps;
  std::uint8_t nextLps;
  std::uint8_t switchMps;
};

constexpr std::array<MqState, 47> kMqStates{{
    {0x5601, 1, 1, 1},   {0x3401, 2, 6, 0},   {0x1801, 3, 9, 0},   {0x0AC1, 4, 12, 0},  {0x0521, 5, 29, 0},
    {0x0221, 38, 33, 0}, {0x5601, 7, 6, 1},   {0x5401, 8, 14, 0},  {0x4801, 9, 14, 0},  {0x3801, 10, 14, 0},
    {0x3001, 11, 17, 0}, {0x2401, 12, 18, 0}, {0x1C01, 13, 20, 0}, {0x1601, 29, 21, 0}, {0x5601, 15, 14, 1},
    {0x5401, 16, 14, 0}, {0x5101, 17, 15, 0}, {0x4801, 18, 16, 0}, {0x3801, 19, 17, 0}, {0x3401, 20, 18, 0},
    {0x3001, 21, 19, 0}, {0x2801, 22, 19, 0}, {0x2401, 23, 20, 0}, {0x2201, 24, 21, 0}, {0x1C01, 25, 22, 0},
    {0x1801, 26, 23, 0}, {0x1601, 27, 24, 0}, {0x1401, 28, 25, 0}, {0x1201, 29, 26, 0}, {0x1101, 30, 27, 0},
    {0x0AC1, 31, 28, 0}, {0x09C1, 32, 29, 0}, {0x08A1, 33, 30, 0}, {0x0521, 34, 31, 0}, {0x0441, 35, 32, 0},
    {0x02A1, 36, 33, 0}, {0x0221, 37, 34, 0}, {0x0141, 38, 35, 0}, {0x0111, 39, 36, 0}, {0x0085, 40, 37, 0},
    {0x0049, 41, 38, 0}, {0x0025, 42, 39, 0}, {0x0015, 43, 40, 0}, {0x0009, 44, 41, 0}, {0x0005, 45, 42, 0},
    {0x0001, 45, 43, 0}, {0x5601, 46, 46, 0},
}};

// Context labels of the block coder (Annex D).
constexpr int kCtxSignFirst = 9;
constexpr int kCtxMagFirst = 14;
constexpr int kCtxRunLength = 17;
constexpr int kCtxUniform = 18;
constexpr int kContexts = 19;

class MqEncoder {
 public:
  MqEncoder() {
    state_.fill(0);
    mps_.fill(0);
    state_[0] = 4;
    state_[kCtxRunLength] = 3;
    state_[kCtxUniform] = 46;
    out_.push_back(0);  // the byte "before" the code word, never emitted
  }

  void Encode(int bit, int cx) {
    const MqState& s = kMqStates[state_[cx]];
    a_ -= s.qe;
    if (bit == mps_[cx]) {
      if ((a_ & 0x8000) != 0) {
        c_ += s.qe;
        return;
      }
      if (a_ < s.qe) {
        a_ = s.qe;
      } else {
        c_ += s.qe;
      }
      state_[cx] = s.nextMps;
    } else {
      if (a_ < s.qe) {
        c_ += s.qe;
      } else {
        a_ = s.qe;
      }
      if (s.switchMps) mps_[cx] ^= 1;
      state_[cx] = s.nextLps;
    }
    Renormalise();
  }

  // Flushes the register (C.2.9) and returns the code word.
  std::vector<std::uint8_t> Finish() {
    const std::uint32_t limit = c_ + a_;
    c_ |= 0xFFFF;
    if (c_ >= limit) c_ -= 0x8000;
    c_ <<= ct_;
    ByteOut();
    c_ <<= ct_;
    ByteOut();
    if (out_.back() == 0xFF) out_.pop_back();
    return {out_.begin() + 1, out_.end()};
  }

 private:
  void Renormalise() {
    do {
      a_ <<= 1;
      c_ <<= 1;
      if (--ct_ == 0) ByteOut();
    } while ((a_ & 0x8000) == 0);
  }

  void ByteOut() {
    if (out_.back() != 0xFF && c_ >= 0x8000000) {
      ++out_.back();  // carry into the byte already written
      c_ &= 0x7FFFFFF;
    }
    if (out_.back() == 0xFF) {  // a stuffed bit keeps 0xFF from starting a marker
      out_.push_back(static_cast<std::uint8_t>(c_ >> 20));
      c_ &= 0xFFFFF;
      ct_ = 7;
    } else {
      out_.push_back(static_cast<std::uint8_t>(c_ >> 19));
      c_ &= 0x7FFFF;
      ct_ = 8;
    }
  }

  std::uint32_t a_ = 0x8000;
  std::uint32_t c_ = 0;
  int ct_ = 12;
  std::array<std::uint8_t, kContexts> state_;
  std::array<std::uint8_t, kContexts> mps_;
  std::vector<std::uint8_t> out_;
};

// ---------------------------------------------------------------------------------------------
// Block coder (Annex D): three passes per bit-plane over stripes of four rows.

// Per-sample state with the significance and sign of the eight neighbours kept beside it,
// so contexts are table look-ups instead of neighbourhood scans.
enum : std::uint16_t {
  kSigN = 1 << 0,
  kSigS = 1 << 1,
  kSigW = 1 << 2,
  kSigE = 1 << 3,
  kSigNW = 1 << 4,
  kSigNE = 1 << 5,
  kSigSW = 1 << 6,
  kSigSE = 1 << 7,
  kNegN = 1 << 8,
  kNegS = 1 << 9,
  kNegW = 1 << 10,
  kNegE = 1 << 11,
  kSig = 1 << 12,
  kVisited = 1 << 13,
  kRefined = 1 << 14,
  kNeighbours = 0xFF,
};

struct ZeroCodingTable {
  std::array<std::array<std::uint8_t, 256>, 4> context{};
  constexpr ZeroCodingTable() {
    for (int orient = 0; orient < 4; ++orient) {
      for (int f = 0; f < 256; ++f) {
        int h = ((f & kSigW) != 0) + ((f & kSigE) != 0);
        int v = ((f & kSigN) != 0) + ((f & kSigS) != 0);
        const int d = ((f & kSigNW) != 0) + ((f & kSigNE) != 0) + ((f & kSigSW) != 0) + ((f & kSigSE) != 0);
        int n = 0;
        if (orient == kHH) {
          const int hv = h + v;
          if (d >= 3)
            n = 8;
          else if (d == 2)
            n = hv >= 1 ? 7 : 6;
          else if (d == 1)
            n = hv >= 2 ? 5 : (hv == 1 ? 4 : 3);
          else
            n = hv >= 2 ? 2 : hv;
        } else {
          // High-pass across columns answers vertical edges: there the vertical neighbours count most.
          if (orient == kHL) std::swap(h, v);
          if (h == 2)
            n = 8;
          else if (h == 1)
            n = v >= 1 ? 7 : (d >= 1 ? 6 : 5);
          else if (v >= 1)
            n = v == 2 ? 4 : 3;
          else
            n = d >= 2 ? 2 : d;
        }
        context[orient][f] = static_cast<std::uint8_t>(n);
      }
    }
  }
};
constexpr ZeroCodingTable kZeroCoding;

class BlockCoder {
 public:
  BlockCoder(const std::int32_t* data, int stride, int width, int height, Orientation orient)
      : width_(width),
        height_(height),
        stride_(width + 2),
        orient_(orient),
        flags_(static_cast<std::size_t>(stride_) * (height + 2), 0),
        magnitude_(static_cast<std::size_t>(width) * height),
        negative_(magnitude_.size()) {
    std::uint32_t all = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const std::int32_t v = data[static_cast<std::size_t>(y) * stride + x];
        const std::uint32_t m =
            v < 0 ? static_cast<std::uint32_t>(-static_cast<std::int64_t>(v)) : static_cast<std::uint32_t>(v);
        magnitude_[Index(x, y)] = m;
        negative_[Index(x, y)] = v < 0;
        all |= m;
      }
    }
    while (all != 0) {
      ++planes_;
      all >>= 1;
    }
  }

  CodedBlock Encode() {
    CodedBlock result;
    result.bitPlanes = planes_;
    if (planes_ == 0) return result;
    for (int plane = planes_ - 1; plane >= 0; --plane) {
      if (plane != planes_ - 1) {
        SignificancePass(plane);
        RefinementPass(plane);
        result.passes += 2;
      }
      CleanupPass(plane);
      ++result.passes;
    }
    result.bytes = mq_.Finish();
    return result;
  }

 private:
  std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * width_ + x; }
  std::size_t Flag(int x, int y) const { return static_cast<std::size_t>(y + 1) * stride_ + x + 1; }

  int Bit(std::size_t i, int plane) const { return static_cast<int>((magnitude_[i] >> plane) & 1); }

  void EncodeSign(int x, int y) {
    const std::uint16_t f = flags_[Flag(x, y)];
    auto contribution = [f](std::uint16_t sigA, std::uint16_t negA, std::uint16_t sigB, std::uint16_t negB) {
      int c = 0;
      if (f & sigA) c += (f & negA) ? -1 : 1;
      if (f & sigB) c += (f & negB) ? -1 : 1;
      return std::clamp(c, -1, 1);
    };
    int h = contribution(kSigW, kNegW, kSigE, kNegE);
    int v = contribution(kSigN, kNegN, kSigS, kNegS);
    int flip = 0;
    if (h < 0 || (h == 0 && v < 0)) {  // the table is symmetric under negation, with the sign flipped
      h = -h;
      v = -v;
      flip = 1;
    }
    const int context = h == 0 ? kCtxSignFirst + (v == 0 ? 0 : 1) : kCtxSignFirst + 3 + v;
    mq_.Encode((negative_[Index(x, y)] ? 1 : 0) ^ flip, context);
  }

  void BecomeSignificant(int x, int y) {
    const std::size_t p = Flag(x, y);
    const bool neg = negative_[Index(x, y)];
    flags_[p] |= kSig;
    flags_[p - stride_] |= kSigS | (neg ? kNegS : 0);
    flags_[p + stride_] |= kSigN | (neg ? kNegN : 0);
    flags_[p - 1] |= kSigE | (neg ? kNegE : 0);
    flags_[p + 1] |= kSigW | (neg ? kNegW : 0);
    flags_[p - stride_ - 1] |= kSigSE;
    flags_[p - stride_ + 1] |= kSigSW;
    flags_[p + stride_ - 1] |= kSigNE;
    flags_[p + stride_ + 1] |= kSigNW;
  }

  // Codes the significance of an insignificant sample, and its sign if it turns significant.
  void CodeSignificance(int x, int y, int plane) {
    const std::uint16_t f = flags_[Flag(x, y)];
    const int bit = Bit(Index(x, y), plane);
    mq_.Encode(bit, kZeroCoding.context[orient_][f & kNeighbours]);
    if (bit) {
      EncodeSign(x, y);
      BecomeSignificant(x, y);
    }
  }

  template <typename Visit>
  void Scan(Visit visit) {
    for (int y0 = 0; y0 < height_; y0 += 4) {
      const int y1 = std::min(y0 + 4, height_);
      for (int x = 0; x < width_; ++x) {
        for (int y = y0; y < y1; ++y) visit(x, y);
      }
    }
  }

  void SignificancePass(int plane) {
    Scan([&](int x, int y) {
      std::uint16_t& f = flags_[Flag(x, y)];
      if ((f & kSig) || (f & kNeighbours) == 0) return;
      CodeSignificance(x, y, plane);
      flags_[Flag(x, y)] |= kVisited;
    });
  }

  void RefinementPass(int plane) {
    Scan([&](int x, int y) {
      std::uint16_t& f = flags_[Flag(x, y)];
      if (!(f & kSig) || (f & kVisited)) return;
      const int context = (f & kRefined) ? kCtxMagFirst + 2 : kCtxMagFirst + ((f & kNeighbours) ? 1 : 0);
      mq_.Encode(Bit(Index(x, y), plane), context);
      f |= kRefined;
    });
  }

  void CleanupPass(int plane) {
    for (int y0 = 0; y0 < height_; y0 += 4) {
      const int y1 = std::min(y0 + 4, height_);
      for (int x = 0; x < width_; ++x) {
        int y = y0;
        if (y1 - y0 == 4 && RunCandidate(x, y0)) {
          int first = 0;
          while (first < 4 && !Bit(Index(x, y0 + first), plane)) ++first;
          if (first == 4) {
            mq_.Encode(0, kCtxRunLength);
            continue;
          }
          mq_.Encode(1, kCtxRunLength);
          mq_.Encode(first >> 1, kCtxUniform);
          mq_.Encode(first & 1, kCtxUniform);
          EncodeSign(x, y0 + first);
          BecomeSignificant(x, y0 + first);
          y = y0 + first + 1;
        }
        for (; y < y1; ++y) {
          std::uint16_t& f = flags_[Flag(x, y)];
          if (!(f & (kSig | kVisited))) CodeSignificance(x, y, plane);
          flags_[Flag(x, y)] &= static_cast<std::uint16_t>(~kVisited);
        }
      }
    }
  }

  // Run-length mode: a full stripe column of insignificant, unvisited samples with no
  // significant neighbour.
  bool RunCandidate(int x, int y0) const {
    for (int y = y0; y < y0 + 4; ++y) {
      const std::uint16_t f = flags_[Flag(x, y)];
      if (f & (kSig | kVisited | kNeighbours)) return false;
    }
    return true;
  }

  int width_;
  int height_;
  int stride_;
  Orientation orient_;
  std::vector<std::uint16_t> flags_;  // with a one-sample border
  std::vector<std::uint32_t> magnitude_;
  std::vector<bool> negative_;
  int planes_ = 0;
  MqEncoder mq_;
};

}  // namespace

CodedBlock EncodeCodeBlock(const std::int32_t* data, int stride, int width, int height, Orientation orient) {
  return BlockCoder(data, stride, width, height, orient).Encode();
}

}  // namespace q7::imaging::j2k
