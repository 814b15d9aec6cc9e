// A bounded little-endian reader over a received buffer: every step checks what is left and
// fails, consuming nothing, instead of reading past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

namespace platform {

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::size_t Left() const { return bytes_.size() - pos_; }
  bool AtEnd() const { return pos_ == bytes_.size(); }
  // n (1 to 8) bytes as an unsigned number.
  bool Unsigned(std::size_t n, std::uint64_t* value) {
    if (n == 0 || n > 8 || Left() < n) return false;
    *value = 0;
    for (std::size_t i = 0; i < n; ++i) *value |= std::uint64_t{bytes_[pos_ + i]} << (8 * i);
    pos_ += n;
    return true;
  }
  // The next n bytes equal expected.
  bool Expect(const char* expected, std::size_t n) {
    if (Left() < n || std::memcmp(bytes_.data() + pos_, expected, n) != 0) return false;
    pos_ += n;
    return true;
  }
  bool Text(std::size_t n, std::string* out) {
    if (Left() < n) return false;
    out->assign(reinterpret_cast<const char*>(bytes_.data() + pos_), n);
    pos_ += n;
    return true;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
};

}  // namespace platform
