#pragma once
// Appends fixed-width integers to a byte vector; file formats here mix both byte orders.
#include <cstdint>
#include <string_view>
#include <vector>

namespace q7::imaging {

class ByteWriter {
 public:
  explicit ByteWriter(std::vector<std::uint8_t>& out) : out_(out) {}

  void U8(std::uint32_t v) { out_.push_back(static_cast<std::uint8_t>(v)); }
  void Le16(std::uint32_t v) {
    U8(v);
    U8(v >> 8);
  }
  void Le32(std::uint32_t v) {
    Le16(v);
    Le16(v >> 16);
  }
  void Be16(std::uint32_t v) {
    U8(v >> 8);
    U8(v);
  }
  void Be32(std::uint32_t v) {
    Be16(v >> 16);
    Be16(v);
  }
  void Text(std::string_view s) { out_.insert(out_.end(), s.begin(), s.end()); }
  void Bytes(const std::uint8_t* p, std::size_t n) { out_.insert(out_.end(), p, p + n); }
  void Zeros(std::size_t n) { out_.insert(out_.end(), n, 0); }
  std::size_t Size() const { return out_.size(); }

 private:
  std::vector<std::uint8_t>& out_;  // not owned
};

inline void PatchBe32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  out[at] = static_cast<std::uint8_t>(v >> 24);
  out[at + 1] = static_cast<std::uint8_t>(v >> 16);
  out[at + 2] = static_cast<std::uint8_t>(v >> 8);
  out[at + 3] = static_cast<std::uint8_t>(v);
}

}  // namespace q7::imaging
