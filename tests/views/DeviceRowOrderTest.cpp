#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "views/DeviceRowOrder.h"

namespace views {
namespace {

TEST(DeviceRowOrderTest, ParsesOnlyDottedAddresses) {
  uint32_t address = 0;
  EXPECT_TRUE(DeviceRowOrder::ParseAddress("10.0.0.9", &address));
  EXPECT_EQ(address, 0x0A000009u);
  EXPECT_TRUE(DeviceRowOrder::ParseAddress("255.255.255.255", &address));
  EXPECT_EQ(address, 0xFFFFFFFFu);
  for (const char* bad :
       {"", "10.0.0", "10.0.0.256", "10.0.0.9.", "1.2.3.4x", "a.b.c.d", "1..2.3", "0001.2.3.4"}) {
    EXPECT_FALSE(DeviceRowOrder::ParseAddress(bad, &address)) << bad;
  }
}

TEST(DeviceRowOrderTest, RowsWithoutTextComeFirstInBothDirections) {
  for (const bool descending : {false, true}) {
    DeviceRowOrder order(2, true, descending);
    order.Add(1, "10.0.0.1");
    order.Add(2, nullptr);
    EXPECT_TRUE(order.Less(2, 1));
    EXPECT_FALSE(order.Less(1, 2));
  }
}

TEST(DeviceRowOrderTest, NonAddressesGoBeforeAddresses) {
  DeviceRowOrder order(2, true, false);
  order.Add(1, "10.0.0.1");
  order.Add(2, "unknown");
  order.Add(3, "");
  EXPECT_TRUE(order.Less(2, 1));
  EXPECT_TRUE(order.Less(3, 2));
}

// Irreflexive, asymmetric (ties go by item data, so any two rows are ordered) and transitive:
// what std::sort needs. Checked on every triple of a set with equal and missing texts, for an
// index-ordered, an address and a text column in both directions.
TEST(DeviceRowOrderTest, IsAStrictWeakOrdering) {
  const char* texts[] = {"b", "a", nullptr, "b", "10.0.0.2", "10.0.0.10", nullptr, "a", "10.0.0.2"};
  for (const int column : {0, 2, 8}) {
    for (const bool descending : {false, true}) {
      DeviceRowOrder order(column, column == 2, descending);
      std::vector<uint32_t> rows;
      for (uint32_t i = 0; i < std::size(texts); ++i) {
        const uint32_t itemData = i | ((i % 2) << 16);
        order.Add(itemData, texts[i]);
        rows.push_back(itemData);
      }
      for (const uint32_t a : rows) {
        EXPECT_FALSE(order.Less(a, a));
        for (const uint32_t b : rows) {
          if (a != b) {
            EXPECT_NE(order.Less(a, b), order.Less(b, a)) << a << " " << b;
          }
          for (const uint32_t c : rows) {
            if (order.Less(a, b) && order.Less(b, c)) {
              EXPECT_TRUE(order.Less(a, c));
            }
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace views
