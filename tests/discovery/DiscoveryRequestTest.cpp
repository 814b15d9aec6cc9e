#include <gtest/gtest.h>

#include "discovery/DiscoveryRequest.h"
#include "discovery/SearchEntry.h"

namespace discovery {
namespace {

TEST(DiscoveryRequestTest, EmptyListIsTheSixByteQuery) {
  EXPECT_EQ(BuildDiscoveryRequest({}), (std::vector<uint8_t>{0x2E, 0x2C, 0x3A, 0x01, 0x00, 0x00}));
  // The query sent to single addresses and sweeps is that same request.
  EXPECT_EQ(BuildDiscoveryRequest({}),
            std::vector<uint8_t>(kUnicastQuery.begin(), kUnicastQuery.end()));
}

TEST(DiscoveryRequestTest, IdsMostSignificantFirstCountLittleEndian) {
  EXPECT_EQ(BuildDiscoveryRequest({0x123456, 0xFFABCDEF}),
            (std::vector<uint8_t>{0x2E, 0x2C, 0x3A, 0x01, 0x02, 0x00, 0x12, 0x34, 0x56, 0xAB, 0xCD,
                                  0xEF}));
}

TEST(DiscoveryRequestTest, AtMost179Ids) {
  const auto request = BuildDiscoveryRequest(std::vector<uint32_t>(300, 1));
  ASSERT_EQ(request.size(), 6u + 3 * 179);
  EXPECT_EQ(request[4], 179);
  EXPECT_EQ(request[5], 0);
}

TEST(DiscoveryRequestTest, SetAddressRequest) {
  const auto request = BuildSetAddressRequest(0x01ABCDEF, {192, 168, 1, 20});
  EXPECT_EQ(std::vector<uint8_t>(request.begin(), request.end()),
            (std::vector<uint8_t>{0x2E, 0x2C, 0x3A, 0x02, 0xAB, 0xCD, 0xEF, 192, 168, 1, 20}));
}

TEST(DiscoveryRequestTest, StrictAddressTable) {
  struct Case {
    const char* text;
    bool valid;
  } cases[] = {{"10.1.2.3", true},  {"0.0.0.0", true},     {"255.255.255.255", true},
               {"1.2.3", false},    {"1.2.3.4.5", false},  {"1..3.4", false},
               {".1.2.3", false},   {"1.2.3.", false},     {"1.2.3.256", false},
               {"1.2.3.4 ", false}, {"a.b.c.d", false},    {"", false},
               {"1.2.3.-4", false}, {"1111.2.3.4", false}, {"1.2.3.99999999999", false}};
  for (const Case& c : cases) {
    EXPECT_EQ(ParseStrictAddress(c.text).has_value(), c.valid) << c.text;
  }
  // Leading zeros are decimal digits; the text fits in 15 characters.
  EXPECT_EQ(ParseStrictAddress("010.001.002.003"), (std::array<uint8_t, 4>{10, 1, 2, 3}));
  EXPECT_FALSE(ParseStrictAddress("0010.001.002.003"));  // 16 characters
}

TEST(DiscoveryRequestTest, DeviceIdFromHardwareAddress) {
  EXPECT_EQ(DeviceIdFromHwAddress("00409D123456"), 0x123456u);
  EXPECT_EQ(DeviceIdFromHwAddress("abcdef"), 0xABCDEFu);
  EXPECT_FALSE(DeviceIdFromHwAddress("12345"));
  EXPECT_FALSE(DeviceIdFromHwAddress("00409D12345Z"));
}

TEST(SearchEntryTest, RecognitionTable) {
  using K = SearchEntry::Kind;
  struct Case {
    const char* entry;
    K kind;
    const char* text;
    int hops;
  } cases[] = {
      {"10.1.2.3", K::kSingle, "10.1.2.3", 0},
      {"10.1.2.255<DB>", K::kDirectedBroadcast, "10.1.2.255", 0},
      {"10.1.2.*", K::kSubnet, "10.1.2.", 0},
      {"Multicast<5>", K::kMulticast, "", 5},
      {"Multicast<12>", K::kMulticast, "", 12},
      {"Multicast", K::kMulticast, "", 0},
      {"File</tmp/a b.txt>", K::kFile, "/tmp/a b.txt", 0},
      {"File", K::kFile, "", 0},
      {"File<*>", K::kSubnet, "File<", 0},  // "*" wins over everything
      {"Multicast<1><DB>", K::kDirectedBroadcast, "Multicast<1>", 0},
      {"", K::kSingle, "", 0},
  };
  for (const Case& c : cases) {
    const SearchEntry e = ParseSearchEntry(c.entry);
    EXPECT_EQ(e.kind, c.kind) << c.entry;
    EXPECT_EQ(e.text, c.text) << c.entry;
    EXPECT_EQ(e.hops, c.hops) << c.entry;
  }
  EXPECT_EQ(ParseSearchEntry("Multicast<99999999999999>").hops, 1000000);
}

TEST(SearchEntryTest, WellFormedEntriesOnly) {
  for (const char* good : {"10.0.0.5", "10.0.0.255<DB>", "10.0.0.*", "0.0.0.*", "Multicast<1>",
                           "Multicast<255>", "File</tmp/list.txt>", "File<a>"}) {
    EXPECT_TRUE(IsWellFormedSearchEntry(good)) << good;
  }
  for (const char* bad : {"",
                          "999.1.1.1",
                          "nonsense",
                          "10.0.0.0/24",
                          "10.0.0",
                          "10.0.*",
                          "10.0.0.*5",
                          "10.0.0*",
                          "*",
                          "10.0.256.*",
                          "10.0.0.5<DB",
                          "<DB>",
                          "Multicast",
                          "Multicast<>",
                          "Multicast<0>",
                          "Multicast<256>",
                          "Multicast<1",
                          "Multicast<x>",
                          "File<>",
                          "File</tmp/list",
                          "Filex"}) {
    EXPECT_FALSE(IsWellFormedSearchEntry(bad)) << bad;
  }
}

TEST(SearchEntryTest, LeadingAddressOfALine) {
  EXPECT_EQ(LeadingAddress("10.0.0.1 printer\r"), "10.0.0.1");
  EXPECT_EQ(LeadingAddress("10.0.0.1"), "10.0.0.1");
  EXPECT_EQ(LeadingAddress("# comment"), "");
}

}  // namespace
}  // namespace discovery
