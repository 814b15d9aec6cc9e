// The control socket's messages: exact bytes both ways, and every malformed packet refused.
#include <gtest/gtest.h>

#include <vector>

#include "vport/PortControlMessage.h"

namespace vport::control {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes AsBytes(const Message& m) {
  return Bytes(m.begin(), m.end());
}

DecodeError Decode(const Bytes& bytes, Request* out = nullptr) {
  Request ignored;
  return DecodeRequest(bytes, out ? out : &ignored);
}

TEST(PortControlMessage, RequestsEncodeToTheirExactBytes) {
  Request line;
  line.op = Op::kSetLine;
  line.dataBits = 7;
  line.parity = 2;
  line.stopBits = 0;
  EXPECT_EQ(AsBytes(EncodeRequest(line)), (Bytes{'P', 'C', 1, 1, 7, 2, 0, 0}));
  Request modem;
  modem.op = Op::kSetModem;
  modem.mask = kDtr | kRts;
  modem.value = kRts;
  EXPECT_EQ(AsBytes(EncodeRequest(modem)), (Bytes{'P', 'C', 1, 2, 3, 2, 0, 0}));
  Request brk;
  brk.op = Op::kBreak;
  brk.breakOn = true;
  EXPECT_EQ(AsBytes(EncodeRequest(brk)), (Bytes{'P', 'C', 1, 3, 1, 0, 0, 0}));
}

TEST(PortControlMessage, EveryValidRequestDecodesToWhatWasEncoded) {
  std::vector<Request> requests;
  for (std::uint8_t bits = 5; bits <= 8; ++bits)
    for (std::uint8_t parity = 0; parity <= 4; ++parity)
      for (std::uint8_t stop = 0; stop <= 2; ++stop) {
        Request r;
        r.op = Op::kSetLine;
        r.dataBits = bits;
        r.parity = parity;
        r.stopBits = stop;
        requests.push_back(r);
      }
  for (std::uint8_t mask = 1; mask <= 3; ++mask)
    for (std::uint8_t value = 0; value <= 3; ++value) {
      if ((value & ~mask) != 0) continue;
      Request r;
      r.op = Op::kSetModem;
      r.mask = mask;
      r.value = value;
      requests.push_back(r);
    }
  Request on, off, get;
  on.op = off.op = Op::kBreak;
  on.breakOn = true;
  get.op = Op::kGetModem;
  requests.insert(requests.end(), {on, off, get});
  for (const Request& r : requests) {
    const Message m = EncodeRequest(r);
    Request back;
    ASSERT_EQ(DecodeRequest(m, &back), DecodeError::kNone) << static_cast<int>(r.op);
    EXPECT_EQ(back, r);
  }
}

struct BadCase {
  const char* name;
  Bytes bytes;
  DecodeError error;
};

// Each case is refused with its reason, and the output is left as it was.
void ExpectRefused(const std::vector<BadCase>& cases) {
  for (const BadCase& c : cases) {
    Request out;
    out.op = Op::kBreak;
    out.breakOn = true;
    EXPECT_EQ(Decode(c.bytes, &out), c.error) << c.name;
    EXPECT_TRUE(out.op == Op::kBreak && out.breakOn) << c.name << ": output touched";
  }
}

TEST(PortControlMessage, MalformedRequestsAreRefusedWithTheirReason) {
  const std::vector<BadCase> cases = {
      {"empty", {}, DecodeError::kTruncated},
      {"truncated", {'P', 'C', 1, 1, 7, 2, 0}, DecodeError::kTruncated},
      {"oversize", {'P', 'C', 1, 1, 7, 2, 0, 0, 0}, DecodeError::kOversize},
      {"magic", {'P', 'X', 1, 1, 7, 2, 0, 0}, DecodeError::kBadMagic},
      {"version 0", {'P', 'C', 0, 1, 7, 2, 0, 0}, DecodeError::kBadVersion},
      {"version 2", {'P', 'C', 2, 1, 7, 2, 0, 0}, DecodeError::kBadVersion},
      {"op 0", {'P', 'C', 1, 0, 0, 0, 0, 0}, DecodeError::kBadOp},
      {"op 7", {'P', 'C', 1, 7, 0, 0, 0, 0}, DecodeError::kBadOp},
      {"reserved", {'P', 'C', 1, 4, 0, 0, 0, 1}, DecodeError::kBadValue},
      {"4 data bits", {'P', 'C', 1, 1, 4, 0, 0, 0}, DecodeError::kBadValue},
      {"9 data bits", {'P', 'C', 1, 1, 9, 0, 0, 0}, DecodeError::kBadValue},
      {"parity 5", {'P', 'C', 1, 1, 8, 5, 0, 0}, DecodeError::kBadValue},
      {"stop 3", {'P', 'C', 1, 1, 8, 0, 3, 0}, DecodeError::kBadValue},
      {"empty mask", {'P', 'C', 1, 2, 0, 0, 0, 0}, DecodeError::kBadValue},
      {"unknown line", {'P', 'C', 1, 2, 4, 0, 0, 0}, DecodeError::kBadValue},
      {"value outside mask", {'P', 'C', 1, 2, 1, 2, 0, 0}, DecodeError::kBadValue},
      {"modem third byte", {'P', 'C', 1, 2, 1, 1, 1, 0}, DecodeError::kBadValue},
      {"break 2", {'P', 'C', 1, 3, 2, 0, 0, 0}, DecodeError::kBadValue},
      {"get with argument", {'P', 'C', 1, 4, 0, 1, 0, 0}, DecodeError::kBadValue},
  };
  ExpectRefused(cases);
}

TEST(PortControlMessage, RepliesRoundTripAndRefuseBadBytes) {
  Reply reply;
  reply.op = Op::kGetModem;
  reply.status = Status::kOk;
  reply.lines = kDtr | kCts | kCarrier;
  reply.linesKnown = true;
  const Message m = EncodeReply(reply);
  EXPECT_EQ(AsBytes(m), (Bytes{'P', 'C', 1, 4, 0, 0x25, 1, 0}));
  Reply back;
  ASSERT_EQ(DecodeReply(m, &back), DecodeError::kNone);
  EXPECT_EQ(back, reply);

  EXPECT_EQ(DecodeReply(Bytes{'P', 'C', 1, 4, 3, 0, 0, 0}, &back), DecodeError::kBadValue);
  EXPECT_EQ(DecodeReply(Bytes{'P', 'C', 1, 4, 0, 0x40, 0, 0}, &back), DecodeError::kBadValue);
  EXPECT_EQ(DecodeReply(Bytes{'P', 'C', 1, 4, 0, 0, 2, 0}, &back), DecodeError::kBadValue);
  EXPECT_EQ(DecodeReply(Bytes{'P', 'C', 1, 4, 0, 0, 0}, &back), DecodeError::kTruncated);
  EXPECT_EQ(DecodeReply(Bytes{'P', 'C', 9, 4, 0, 0, 0, 0}, &back), DecodeError::kBadVersion);
}

TEST(PortControlMessage, WaitAndCountRequestsDecodeFromTheirBytes) {
  struct Case {
    Bytes bytes;
    Request expected;
  };
  Request waitAll, waitNone, countLow, countHigh;
  waitAll.op = waitNone.op = Op::kWaitModem;
  waitAll.mask = kInputLines;
  countLow.op = countHigh.op = Op::kGetCount;
  countLow.counter = kCountCts;
  countHigh.counter = kCountCarrier;
  countHigh.highHalf = true;
  const std::vector<Case> cases = {
      {{'P', 'C', 1, 5, 0x3C, 0, 0, 0}, waitAll},
      {{'P', 'C', 1, 5, 0, 0, 0, 0}, waitNone},  // no line: waits for the end
      {{'P', 'C', 1, 6, 0, 0, 0, 0}, countLow},
      {{'P', 'C', 1, 6, 3, 1, 0, 0}, countHigh},
  };
  for (const Case& c : cases) {
    Request out;
    ASSERT_EQ(Decode(c.bytes, &out), DecodeError::kNone);
    EXPECT_EQ(out, c.expected);
    EXPECT_EQ(AsBytes(EncodeRequest(out)), c.bytes);
  }
  for (std::uint8_t line : {kCts, kDsr, kRing, kCarrier}) {
    Request r, back;
    r.op = Op::kWaitModem;
    r.mask = line;
    ASSERT_EQ(DecodeRequest(EncodeRequest(r), &back), DecodeError::kNone);
    EXPECT_EQ(back, r);
  }
}

TEST(PortControlMessage, MalformedWaitAndCountRequestsAreRefused) {
  const std::vector<BadCase> cases = {
      {"wait for DTR", {'P', 'C', 1, 5, kDtr, 0, 0, 0}, DecodeError::kBadValue},
      {"wait for RTS", {'P', 'C', 1, 5, kCts | kRts, 0, 0, 0}, DecodeError::kBadValue},
      {"wait unknown line", {'P', 'C', 1, 5, 0x40, 0, 0, 0}, DecodeError::kBadValue},
      {"wait second byte", {'P', 'C', 1, 5, kCts, 1, 0, 0}, DecodeError::kBadValue},
      {"wait third byte", {'P', 'C', 1, 5, kCts, 0, 1, 0}, DecodeError::kBadValue},
      {"counter 4", {'P', 'C', 1, 6, 4, 0, 0, 0}, DecodeError::kBadValue},
      {"counter 255", {'P', 'C', 1, 6, 255, 0, 0, 0}, DecodeError::kBadValue},
      {"half 2", {'P', 'C', 1, 6, 0, 2, 0, 0}, DecodeError::kBadValue},
      {"count third byte", {'P', 'C', 1, 6, 0, 0, 1, 0}, DecodeError::kBadValue},
      {"count reserved", {'P', 'C', 1, 6, 0, 0, 0, 9}, DecodeError::kBadValue},
      {"wait version 2", {'P', 'C', 2, 5, kCts, 0, 0, 0}, DecodeError::kBadVersion},
      {"wait truncated", {'P', 'C', 1, 5, kCts, 0, 0}, DecodeError::kTruncated},
  };
  ExpectRefused(cases);
}

TEST(PortControlMessage, WaitRepliesCarryTheirStateAndOnlyThemTheNewFlagAndStatus) {
  Reply ack;
  ack.op = Op::kWaitModem;
  ack.lines = kRts | kDsr;
  ack.linesKnown = true;
  ack.waiting = true;
  EXPECT_EQ(AsBytes(EncodeReply(ack)), (Bytes{'P', 'C', 1, 5, 0, 0x0A, 3, 0}));
  Reply ended;
  ended.op = Op::kWaitModem;
  ended.status = Status::kNoConnection;
  EXPECT_EQ(AsBytes(EncodeReply(ended)), (Bytes{'P', 'C', 1, 5, 3, 0, 0, 0}));
  for (const Reply& r : {ack, ended}) {
    Reply back;
    ASSERT_EQ(DecodeReply(EncodeReply(r), &back), DecodeError::kNone);
    EXPECT_EQ(back, r);
  }
  // The older operations keep their replies: no waiting flag, no fourth status.
  Reply back;
  EXPECT_EQ(DecodeReply(Bytes{'P', 'C', 1, 4, 0, 0, 3, 0}, &back), DecodeError::kBadValue);
  EXPECT_EQ(DecodeReply(Bytes{'P', 'C', 1, 2, 3, 0, 0, 0}, &back), DecodeError::kBadValue);
  EXPECT_EQ(DecodeReply(Bytes{'P', 'C', 1, 5, 4, 0, 0, 0}, &back), DecodeError::kBadValue);
  EXPECT_EQ(DecodeReply(Bytes{'P', 'C', 1, 5, 0, 0, 4, 0}, &back), DecodeError::kBadValue);
  EXPECT_EQ(DecodeReply(Bytes{'P', 'C', 1, 5, 0, 0x40, 0, 0}, &back), DecodeError::kBadValue);
  // A waiting flag set on another operation's reply does not reach the wire.
  Reply modem;
  modem.waiting = true;
  EXPECT_EQ(AsBytes(EncodeReply(modem)), (Bytes{'P', 'C', 1, 4, 0, 0, 0, 0}));
}

TEST(PortControlMessage, CountRepliesCarrySixteenBitsInPlaceOfTheLines) {
  Reply half;
  half.op = Op::kGetCount;
  half.count = 0xABCD;
  EXPECT_EQ(AsBytes(EncodeReply(half)), (Bytes{'P', 'C', 1, 6, 0, 0xAB, 0xCD, 0}));
  Reply back;
  ASSERT_EQ(DecodeReply(Bytes{'P', 'C', 1, 6, 0, 0xFF, 0xFF, 0}, &back), DecodeError::kNone);
  EXPECT_EQ(back.count, 0xFFFF);
  EXPECT_FALSE(back.linesKnown);
  EXPECT_EQ(back.lines, 0);
  ASSERT_EQ(DecodeReply(Bytes{'P', 'C', 1, 6, 1, 0, 0, 0}, &back), DecodeError::kNone);
  EXPECT_EQ(back.status, Status::kNotSupported);
  EXPECT_EQ(DecodeReply(Bytes{'P', 'C', 1, 6, 3, 0, 0, 0}, &back), DecodeError::kBadValue);
  EXPECT_EQ(DecodeReply(Bytes{'P', 'C', 1, 6, 0, 0, 0, 1}, &back), DecodeError::kBadValue);
}

TEST(PortControlMessage, EveryReplyThatDecodesEncodesBackToItsBytes) {
  // Each operation, the statuses around the valid ones, every value of the two argument bytes.
  for (std::uint8_t op = 0; op <= 7; ++op) {
    for (std::uint8_t status = 0; status <= 4; ++status) {
      for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
          const Bytes bytes = {
              'P', 'C', 1, op, status, static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b),
              0};
          Reply reply;
          if (DecodeReply(bytes, &reply) != DecodeError::kNone) continue;
          ASSERT_EQ(AsBytes(EncodeReply(reply)), bytes);
        }
      }
    }
  }
}

TEST(PortControlMessage, EveryErrorHasAText) {
  for (DecodeError e : {DecodeError::kTruncated, DecodeError::kOversize, DecodeError::kBadMagic,
                        DecodeError::kBadVersion, DecodeError::kBadOp, DecodeError::kBadValue}) {
    EXPECT_STRNE(DecodeErrorText(e), "valid");
  }
  EXPECT_STREQ(DecodeErrorText(DecodeError::kOversize), "oversize");
}

}  // namespace
}  // namespace vport::control
