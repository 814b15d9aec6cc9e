// The port report of `ports status`: exact bytes, every bound at and past its limit, and hostile
// payloads refused with their reason.
#include <gtest/gtest.h>

#include <vector>

#include "vport/PortReportCodec.h"

namespace vport {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Error = PortReportCodec::DecodeError;

PortReport Sample() {
  PortReport port;
  port.comName = "COM5";
  port.server = "10.0.0.5:9200";
  port.state = PortReport::State::kOpen;
  port.connectedSince = 0x0102030405;
  port.rxBytes = 0x1122334455667788;
  port.txBytes = 7;
  port.reconnects = 3;
  port.lastError = "refused";
  port.applicationOpen = true;
  return port;
}

Error Decode(const Bytes& bytes, std::vector<PortReport>* out = nullptr) {
  std::vector<PortReport> ignored;
  return PortReportCodec::Decode(bytes, out ? out : &ignored);
}

TEST(PortReportCodec, OnePortEncodesToItsExactBytesAndBack) {
  const Bytes bytes = PortReportCodec::Encode({Sample()});
  Bytes expected = {'P',  'L',  'P',  'S',  1,    0, 1, 0,  // magic, version 1, one port
                    2,    1,    3,    0,    0,    0,        // Open, application open, 3 reconnects
                    0x05, 0x04, 0x03, 0x02, 0x01, 0, 0, 0, 0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22,
                    0x11, 7,    0,    0,    0,    0, 0, 0, 0,    4,    'C',  'O',  'M',  '5',  13};
  for (const char c : std::string("10.0.0.5:9200")) expected.push_back(static_cast<uint8_t>(c));
  expected.insert(expected.end(), {7, 0, 'r', 'e', 'f', 'u', 's', 'e', 'd'});
  EXPECT_EQ(bytes, expected);
  std::vector<PortReport> back;
  ASSERT_EQ(Decode(bytes, &back), Error::kNone);
  EXPECT_EQ(back, std::vector<PortReport>{Sample()});
  ASSERT_EQ(Decode(PortReportCodec::Encode({}), &back), Error::kNone);
  EXPECT_TRUE(back.empty());
}

TEST(PortReportCodec, TextsAndPortsBeyondTheirBoundsAreCutByTheEncoder) {
  PortReport port = Sample();
  port.server = std::string(70, 's');
  // 511 bytes and a two-byte character across the bound: the whole character goes.
  port.lastError = std::string(511, 'e') + "\xC3\xA9" + "tail";
  const std::vector<PortReport> many(300, port);
  std::vector<PortReport> back;
  const Bytes bytes = PortReportCodec::Encode(many);
  ASSERT_EQ(Decode(bytes, &back), Error::kNone);
  ASSERT_EQ(back.size(), PortReportCodec::kMaxPorts);
  EXPECT_EQ(back[0].server, std::string(64, 's'));
  EXPECT_EQ(back[0].lastError, std::string(511, 'e'));
  EXPECT_LE(bytes.size(), PortReportCodec::kMaxSize);
}

// Byte offsets of one port's fields after the 8-byte header.
constexpr std::size_t kState = 8, kFlags = 9, kSince = 14, kNameLength = 38;

TEST(PortReportCodec, MalformedReportsAreRefusedWithTheirReason) {
  const Bytes good = PortReportCodec::Encode({Sample()});
  struct Case {
    const char* what;
    std::size_t at;  // the byte changed (or, with size set, ignored)
    std::uint8_t value;
    Error error;
  };
  const Case cases[] = {
      {"magic", 0, 'X', Error::kBadMagic},
      {"version 2", 4, 2, Error::kBadVersion},
      {"version 0", 4, 0, Error::kBadVersion},
      {"count 257", 7, 1, Error::kBadCount},  // 0x0101
      {"count 2 with one port", 6, 2, Error::kTruncated},
      {"count 0 with one port", 6, 0, Error::kTrailing},
      {"state 3", kState, 3, Error::kBadValue},
      {"unknown flag", kFlags, 0x02, Error::kBadValue},
      {"negative time", kSince + 7, 0x80, Error::kBadValue},
      {"empty name", kNameLength, 0, Error::kBadValue},
      {"name of 17", kNameLength, 17, Error::kBadValue},
  };
  for (const Case& c : cases) {
    Bytes bytes = good;
    bytes[c.at] = c.value;
    EXPECT_EQ(Decode(bytes), c.error) << c.what;
  }
  // A server of 65 bytes and an error text of 513 are past their bounds.
  PortReport port = Sample();
  port.server = "";
  port.lastError = "";
  Bytes bytes = PortReportCodec::Encode({port});
  bytes[kNameLength + 5] = 65;
  EXPECT_EQ(Decode(bytes), Error::kBadValue);
  bytes = PortReportCodec::Encode({port});
  bytes[kNameLength + 6] = 0x01;  // error length 0x0201 = 513
  bytes[kNameLength + 7] = 0x02;
  EXPECT_EQ(Decode(bytes), Error::kBadValue);
  // Every cut of a good report ends inside a field.
  for (std::size_t size = 0; size < good.size(); ++size) {
    const Error error = Decode(Bytes(good.begin(), good.begin() + static_cast<long>(size)));
    EXPECT_EQ(error, Error::kTruncated) << size;
  }
  EXPECT_EQ(Decode(Bytes(PortReportCodec::kMaxSize + 1, 0)), Error::kOversize);
}

}  // namespace
}  // namespace vport
