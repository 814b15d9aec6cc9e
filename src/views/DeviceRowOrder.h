// The order of the device list's rows by one column: addresses (IP Address, Subnet Mask, Default
// Gateway) as 32-bit numbers, other columns as case-sensitive byte strings; a row without a text
// first whatever the direction. Ties go by item data, so the order is a strict weak ordering and a
// sort gives the same rows in the same places every time: in index order for columns 0...4 in
// both directions, reversed with the direction for the others.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace views {

class DeviceRowOrder {
 public:
  static constexpr int kLastIndexOrderedColumn = 4;

  DeviceRowOrder(int column, bool addressSort, bool descending);

  // The text of the row with itemData in the sort column; nullptr when the row has none.
  void Add(uint32_t itemData, const char* text);
  // True when the row a goes before the row b. Rows not added count as rows without text.
  bool Less(uint32_t a, uint32_t b) const;

  // Dotted IPv4 text as a number; false for anything else.
  static bool ParseAddress(std::string_view text, uint32_t* address);

 private:
  struct Key {
    bool missing = true;
    bool isAddress = false;  // address columns: the text is a valid address
    uint32_t address = 0;
    std::string text;
  };
  // <0, 0, >0 as a before, equal to or after b (texts present).
  int Compare(const Key& a, const Key& b) const;

  bool addressSort_;
  bool descending_;
  bool tiesInIndexOrder_;
  std::unordered_map<uint32_t, Key> keys_;
};

}  // namespace views
