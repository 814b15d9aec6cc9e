#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/ScriptedSerialLine.h"
#include "snmp/SerialFrame.h"
#include "snmp/SerialFrameReader.h"
#include "snmp/SnmpTransport.h"

namespace snmp {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(SerialFrameTest, HeaderEncodingIsByteExact) {
  struct Case {
    uint8_t type;
    uint16_t length;
    Bytes expected;
  } cases[] = {
      {0x00, 5, {0x2E, 0x2C, 0x3A, 0x00, 0x05, 0x00}},
      {0x00, 0x0580, {0x2E, 0x2C, 0x3A, 0x00, 0x80, 0x05}},
      {0x01, 0, {0x2E, 0x2C, 0x3A, 0x01, 0x00, 0x00}},
      {0xFF, 0, {0x2E, 0x2C, 0x3A, 0xFF, 0x00, 0x00}},
      {0x00, 0xFFFF, {0x2E, 0x2C, 0x3A, 0x00, 0xFF, 0xFF}},
  };
  for (const Case& c : cases) {
    uint8_t out[kSerialFrameHeaderSize];
    EncodeSerialFrameHeader(c.type, c.length, out);
    EXPECT_EQ(Bytes(out, out + sizeof out), c.expected);
  }
}

TEST(SerialFrameTest, DecodeTable) {
  struct Case {
    Bytes in;
    SerialFrameError error;
    uint8_t type;
    uint16_t length;
    size_t frameSize;
  } cases[] = {
      {{0x2E, 0x2C, 0x3A, 0x00, 0x05, 0x00, 1, 2, 3, 4, 5}, SerialFrameError::Ok, 0, 5, 11},
      {{0x2E, 0x2C, 0x3A, 0x00, 0x05, 0x00, 1, 2, 3, 4, 5, 9}, SerialFrameError::Ok, 0, 5, 11},
      {{0x2E, 0x2C, 0x3A, 0x00, 0x05, 0x00, 1, 2, 3, 4}, SerialFrameError::Truncated, 0, 0, 0},
      {{0x2E, 0x2C, 0x3A, 0x01, 0x00, 0x00}, SerialFrameError::Ok, 1, 0, 6},
      {{0x2E, 0x2C, 0x3A, 0xFE, 0x00}, SerialFrameError::Truncated, 0, 0, 0},
      {{}, SerialFrameError::Truncated, 0, 0, 0},
      {{0x2E, 0x2C, 0x3B, 0x00, 0x00, 0x00}, SerialFrameError::BadMarker, 0, 0, 0},
      {{0x3A, 0x2C, 0x2E, 0x00, 0x00, 0x00}, SerialFrameError::BadMarker, 0, 0, 0},
      {{0x2E, 0x2C, 0x3A, 0x00, 0xFF, 0xFF}, SerialFrameError::Truncated, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SerialFrameView view;
    SerialFrameError error = DecodeSerialFrame(c.in.data(), c.in.size(), &view);
    EXPECT_EQ(error, c.error);
    if (error == SerialFrameError::Ok) {
      EXPECT_EQ(view.header.type, c.type);
      EXPECT_EQ(view.header.length, c.length);
      EXPECT_EQ(view.frameSize, c.frameSize);
      EXPECT_EQ(view.payload, c.in.data() + kSerialFrameHeaderSize);
    }
  }
}

TEST(SerialFrameTest, EncodeThenDecodeRoundTrips) {
  for (uint32_t length : {0u, 1u, 255u, 256u, 1408u, 65535u}) {
    Bytes frame(kSerialFrameHeaderSize + length, 0xA5);
    EncodeSerialFrameHeader(0x00, static_cast<uint16_t>(length), frame.data());
    SerialFrameView view;
    ASSERT_EQ(DecodeSerialFrame(frame.data(), frame.size(), &view), SerialFrameError::Ok);
    EXPECT_EQ(view.header.length, length);
    EXPECT_EQ(view.frameSize, frame.size());
  }
}

// Reading frames from a line: what the device sent -> result, payload, and whether the rest of
// the receive queue was thrown away.
struct ReadCase {
  const char* name;
  Bytes sent;
  uint8_t expectedType;
  bool deviceErrorIsFailure;
  size_t bufferSize;
  int32_t result;
  Bytes payload;
  bool purged;
};

TEST(SerialFrameTest, ReaderTable) {
  const ReadCase cases[] = {
      {"five-octet message",
       {0x2E, 0x2C, 0x3A, 0, 5, 0, 1, 2, 3, 4, 5},
       0,
       true,
       1408,
       1,
       {1, 2, 3, 4, 5},
       false},
      {"empty message", {0x2E, 0x2C, 0x3A, 0, 0, 0}, 0, true, 1408, 1, {}, false},
      {"nothing arrives", {}, 0, true, 1408, kTransportTimeout, {}, true},
      {"half a header", {0x2E, 0x2C, 0x3A}, 0, true, 1408, kTransportTimeout, {}, true},
      {"payload cut short",
       {0x2E, 0x2C, 0x3A, 0, 5, 0, 1, 2},
       0,
       true,
       1408,
       kTransportTimeout,
       {},
       true},
      {"wrong marker",
       {0x2E, 0x2C, 0x2C, 0, 1, 0, 7},
       0,
       true,
       1408,
       kTransportFrameRejected,
       {},
       true},
      {"information frame where a message is due",
       {0x2E, 0x2C, 0x3A, 1, 1, 0, 7},
       0,
       true,
       1408,
       kTransportFrameRejected,
       {},
       true},
      {"device error", {0x2E, 0x2C, 0x3A, 0xFE, 0, 0}, 0, true, 1408, kTransportOther, {}, true},
      {"device error during the information exchange",
       {0x2E, 0x2C, 0x3A, 0xFE, 0, 0},
       1,
       false,
       1408,
       kTransportFrameRejected,
       {},
       true},
      {"payload larger than the buffer",
       {0x2E, 0x2C, 0x3A, 0, 6, 0, 1, 2, 3, 4, 5, 6},
       0,
       true,
       5,
       kTransportPduTooBig,
       {},
       true},
      {"payload exactly the buffer",
       {0x2E, 0x2C, 0x3A, 0, 5, 0, 1, 2, 3, 4, 5},
       0,
       true,
       5,
       1,
       {1, 2, 3, 4, 5},
       false},
      {"information reply",
       {0x2E, 0x2C, 0x3A, 1, 3, 0, 'a', 'b', 'c'},
       1,
       false,
       16,
       1,
       {'a', 'b', 'c'},
       false},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto script = std::make_shared<platform::SerialScript>();
    script->Feed(c.sent);
    platform::ScriptedSerialLine line(script);
    Bytes buffer(c.bufferSize + 4, 0xEE);
    size_t length = 12345;
    SerialFrameReadOptions options{c.expectedType, c.deviceErrorIsFailure};
    int32_t result = ReadSerialFrame(line, options, buffer.data(), c.bufferSize, &length);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(script->Count("purge") > 0, c.purged);
    if (result == 1) {
      ASSERT_EQ(length, c.payload.size());
      EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + static_cast<long>(length)), c.payload);
    }
    // Nothing is written past the buffer's size.
    for (size_t i = c.bufferSize; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], 0xEE);
  }
}

TEST(SerialFrameTest, FailedReadIsOther) {
  auto script = std::make_shared<platform::SerialScript>();
  script->failRead = true;
  platform::ScriptedSerialLine line(script);
  uint8_t buffer[16];
  size_t length = 0;
  EXPECT_EQ(ReadSerialFrame(line, {}, buffer, sizeof buffer, &length), kTransportOther);
}

TEST(SerialFrameTest, RefusedFrameLeavesNextFrameReadable) {
  // A frame of the wrong type with a payload is followed by a good frame that arrives later:
  // the stale payload must not be read as the next header.
  auto script = std::make_shared<platform::SerialScript>();
  script->Feed({0x2E, 0x2C, 0x3A, 0x01, 0x02, 0x00, 0x2E, 0x2C});
  platform::ScriptedSerialLine line(script);
  uint8_t buffer[16];
  size_t length = 0;
  EXPECT_EQ(ReadSerialFrame(line, {}, buffer, sizeof buffer, &length), kTransportFrameRejected);
  script->Feed({0x2E, 0x2C, 0x3A, 0x00, 0x01, 0x00, 0x42});
  EXPECT_EQ(ReadSerialFrame(line, {}, buffer, sizeof buffer, &length), 1);
  EXPECT_EQ(length, 1u);
  EXPECT_EQ(buffer[0], 0x42);
}

}  // namespace
}  // namespace snmp
