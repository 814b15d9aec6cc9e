#include "views/DeviceRowOrder.h"

namespace views {

DeviceRowOrder::DeviceRowOrder(int column, bool addressSort, bool descending)
    : addressSort_(addressSort),
      descending_(descending),
      tiesInIndexOrder_(column >= 0 && column <= kLastIndexOrderedColumn) {}

void DeviceRowOrder::Add(uint32_t itemData, const char* text) {
  Key key;
  if (text != nullptr) {
    key.missing = false;
    key.text = text;
    if (addressSort_) key.isAddress = ParseAddress(key.text, &key.address);
  }
  keys_[itemData] = std::move(key);
}

int DeviceRowOrder::Compare(const Key& a, const Key& b) const {
  if (addressSort_) {
    // Texts that are no address go before the addresses, among themselves by their bytes.
    if (a.isAddress != b.isAddress) return a.isAddress ? 1 : -1;
    if (a.isAddress && a.address != b.address) return a.address < b.address ? -1 : 1;
  }
  return a.text.compare(b.text);
}

bool DeviceRowOrder::Less(uint32_t a, uint32_t b) const {
  static const Key kNone;
  auto ka = keys_.find(a);
  auto kb = keys_.find(b);
  const Key& x = ka != keys_.end() ? ka->second : kNone;
  const Key& y = kb != keys_.end() ? kb->second : kNone;
  if (x.missing != y.missing) return x.missing;
  const int order = x.missing ? 0 : Compare(x, y);
  if (order == 0) {
    if (tiesInIndexOrder_ || !descending_) return a < b;
    return a > b;
  }
  return descending_ ? order > 0 : order < 0;
}

bool DeviceRowOrder::ParseAddress(std::string_view text, uint32_t* address) {
  uint32_t value = 0;
  size_t at = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (at >= text.size() || text[at] != '.') return false;
      ++at;
    }
    const size_t start = at;
    unsigned number = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 3) {
      number = number * 10 + static_cast<unsigned>(text[at] - '0');
      ++at;
    }
    if (at == start || number > 255) return false;
    value = (value << 8) | number;
  }
  if (at != text.size()) return false;
  *address = value;
  return true;
}

}  // namespace views
