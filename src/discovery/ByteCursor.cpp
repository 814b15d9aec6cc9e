#include "discovery/ByteCursor.h"

#include <cstring>

namespace discovery {

bool ByteCursor::Byte(size_t offset, uint8_t* out) const {
  if (!Has(offset, 1)) return false;
  *out = data_[offset];
  return true;
}

bool ByteCursor::Bytes(size_t offset, size_t width, uint8_t* out, size_t outSize) const {
  if (!Has(offset, width) || width > outSize) return false;
  if (width > 0) std::memcpy(out, data_ + offset, width);
  return true;
}

bool ByteCursor::Text(size_t offset, size_t width, std::string* out) const {
  if (!Has(offset, width)) return false;
  const uint8_t* begin = data_ + offset;
  const void* zero = width > 0 ? std::memchr(begin, 0, width) : nullptr;
  const size_t length =
      zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - begin) : width;
  out->assign(reinterpret_cast<const char*>(begin), length);
  return true;
}

}  // namespace discovery
