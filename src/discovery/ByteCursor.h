// Bounded reads from a received buffer at fixed offsets: every read checks offset and width
// against what arrived and against the destination, and reports failure instead of reading on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace discovery {

class ByteCursor {
 public:
  ByteCursor(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}

  size_t Size() const { return size_; }
  // True when bytes [offset, offset + width) arrived.
  bool Has(size_t offset, size_t width) const { return offset <= size_ && width <= size_ - offset; }
  bool Byte(size_t offset, uint8_t* out) const;
  // Copies width bytes; out must hold outSize >= width bytes.
  bool Bytes(size_t offset, size_t width, uint8_t* out, size_t outSize) const;
  // The text of a field of width bytes: up to its first zero byte, or the whole field when it
  // holds none.
  bool Text(size_t offset, size_t width, std::string* out) const;

 private:
  const uint8_t* data_;
  size_t size_;
};

}  // namespace discovery
