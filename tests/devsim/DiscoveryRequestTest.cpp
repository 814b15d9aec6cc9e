// Requests as the devices receive them: a table of bytes in -> request or error out.
#include <gtest/gtest.h>

#include "DiscoveryRequest.h"

namespace devsim {
namespace {

using Bytes = std::vector<uint8_t>;

struct Case {
  const char* what;
  Bytes in;
  RequestError error;
  size_t offset;
};

TEST(DiscoveryRequestTest, BadInputTable) {
  const Case cases[] = {
      {"empty", {}, RequestError::kTooShort, 0},
      {"two bytes of magic", {0x2E, 0x2C}, RequestError::kTooShort, 2},
      {"reply magic", {0x3A, 0x2C, 0x2E, 0x01, 0, 0}, RequestError::kBadMagic, 0},
      {"third byte wrong", {0x2E, 0x2C, 0x3B, 0x01, 0, 0}, RequestError::kBadMagic, 2},
      {"no opcode", {0x2E, 0x2C, 0x3A}, RequestError::kTooShort, 3},
      {"opcode 0", {0x2E, 0x2C, 0x3A, 0x00, 0, 0}, RequestError::kUnknownOpcode, 3},
      {"opcode 3", {0x2E, 0x2C, 0x3A, 0x03, 0, 0}, RequestError::kUnknownOpcode, 3},
      {"count cut", {0x2E, 0x2C, 0x3A, 0x01, 0}, RequestError::kTooShort, 5},
      {"one ID promised, none sent", {0x2E, 0x2C, 0x3A, 0x01, 1, 0}, RequestError::kTruncated, 6},
      {"second ID cut", {0x2E, 0x2C, 0x3A, 0x01, 2, 0, 1, 2, 3, 4, 5}, RequestError::kTruncated, 9},
      {"count 65535, nothing sent",
       {0x2E, 0x2C, 0x3A, 0x01, 0xFF, 0xFF},
       RequestError::kTruncated,
       6},
      {"set-address cut", {0x2E, 0x2C, 0x3A, 0x02, 0, 0, 1, 10, 0, 0}, RequestError::kTooShort, 10},
  };
  for (const Case& c : cases) {
    const auto r = ParseRequest(c.in.data(), c.in.size());
    EXPECT_EQ(r.error, c.error) << c.what;
    EXPECT_EQ(r.offset, c.offset) << c.what;
  }
  EXPECT_EQ(ParseRequest(nullptr, 6).error, RequestError::kTooShort);
}

TEST(DiscoveryRequestTest, DiscoveryWithIdsCountIsLittleEndian) {
  Bytes in = {0x2E, 0x2C, 0x3A, 0x01, 0x02, 0x00, 0x12, 0x34, 0x56, 0x00, 0x00, 0x01};
  auto r = ParseRequest(in.data(), in.size());
  ASSERT_EQ(r.error, RequestError::kNone);
  EXPECT_EQ(r.request.opcode, kOpDiscovery);
  EXPECT_EQ(r.request.knownIds, (std::vector<uint32_t>{0x123456, 0x000001}));

  // 256 IDs: the count's high byte matters.
  std::vector<uint32_t> ids;
  for (uint32_t i = 0; i < 256; ++i) ids.push_back(i * 0x10101);
  const Bytes encoded = EncodeDiscoveryRequest(ids);
  ASSERT_EQ(encoded.size(), 6u + 3 * 256);
  EXPECT_EQ(encoded[4], 0x00);
  EXPECT_EQ(encoded[5], 0x01);
  r = ParseRequest(encoded.data(), encoded.size());
  ASSERT_EQ(r.error, RequestError::kNone);
  EXPECT_EQ(r.request.knownIds, ids);
}

TEST(DiscoveryRequestTest, UnicastQueryIsSixBytes) {
  EXPECT_EQ(EncodeDiscoveryRequest({}), (Bytes{0x2E, 0x2C, 0x3A, 0x01, 0x00, 0x00}));
  const Bytes trailing = {0x2E, 0x2C, 0x3A, 0x01, 0x00, 0x00, 0xEE};
  const auto r = ParseRequest(trailing.data(), trailing.size());
  EXPECT_EQ(r.error, RequestError::kNone);
  EXPECT_TRUE(r.request.knownIds.empty());
}

TEST(DiscoveryRequestTest, SetAddressVector) {
  const Bytes expected = {0x2E, 0x2C, 0x3A, 0x02, 0x12, 0x34, 0x56, 192, 168, 7, 9};
  EXPECT_EQ(EncodeSetAddressRequest(0x123456, {192, 168, 7, 9}), expected);
  const auto r = ParseRequest(expected.data(), expected.size());
  ASSERT_EQ(r.error, RequestError::kNone);
  EXPECT_EQ(r.request.opcode, kOpSetAddress);
  EXPECT_EQ(r.request.deviceId, 0x123456u);
  EXPECT_EQ(r.request.newAddress, (std::array<uint8_t, 4>{192, 168, 7, 9}));
}

TEST(DiscoveryRequestTest, EveryCutOfAValidRequestFailsCleanly) {
  const Bytes full = EncodeDiscoveryRequest({1, 2, 3});
  for (size_t n = 0; n < full.size(); ++n) {
    EXPECT_NE(ParseRequest(full.data(), n).error, RequestError::kNone) << n;
  }
  const Bytes set = EncodeSetAddressRequest(7, {1, 2, 3, 4});
  for (size_t n = 0; n < set.size(); ++n) {
    EXPECT_NE(ParseRequest(set.data(), n).error, RequestError::kNone) << n;
  }
}

}  // namespace
}  // namespace devsim
