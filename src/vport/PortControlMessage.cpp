#include "vport/PortControlMessage.h"

namespace vport::control {

namespace {

constexpr std::uint8_t kMagic0 = 'P';
constexpr std::uint8_t kMagic1 = 'C';
constexpr std::uint8_t kReplyLinesKnown = 0x01;
constexpr std::uint8_t kReplyWaiting = 0x02;  // kWaitModem replies only

Message Header(Op op) {
  Message m{};
  m[0] = kMagic0;
  m[1] = kMagic1;
  m[2] = kVersion;
  m[3] = static_cast<std::uint8_t>(op);
  return m;
}

// The checks every message shares; on success the span holds exactly kMessageSize bytes.
DecodeError CheckFrame(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kMessageSize) return DecodeError::kTruncated;
  if (bytes.size() > kMessageSize) return DecodeError::kOversize;
  if (bytes[0] != kMagic0 || bytes[1] != kMagic1) return DecodeError::kBadMagic;
  if (bytes[2] != kVersion) return DecodeError::kBadVersion;
  if (bytes[7] != 0) return DecodeError::kBadValue;
  return DecodeError::kNone;
}

bool KnownOp(std::uint8_t op) {
  return op >= static_cast<std::uint8_t>(Op::kSetLine) &&
         op <= static_cast<std::uint8_t>(Op::kGetCount);
}

DecodeError CheckArguments(Op op, std::uint8_t a, std::uint8_t b, std::uint8_t c) {
  bool valid = false;
  switch (op) {
    case Op::kSetLine:
      valid = a >= 5 && a <= 8 && b <= 4 && c <= 2;
      break;
    case Op::kSetModem:
      valid = a != 0 && (a & ~kOutputLines) == 0 && (b & ~a) == 0 && c == 0;
      break;
    case Op::kBreak:
      valid = a <= 1 && b == 0 && c == 0;
      break;
    case Op::kGetModem:
      valid = a == 0 && b == 0 && c == 0;
      break;
    case Op::kWaitModem:
      valid = (a & ~kInputLines) == 0 && b == 0 && c == 0;
      break;
    case Op::kGetCount:
      valid = a <= kCountCarrier && b <= 1 && c == 0;
      break;
  }
  return valid ? DecodeError::kNone : DecodeError::kBadValue;
}

}  // namespace

Message EncodeRequest(const Request& request) {
  Message m = Header(request.op);
  switch (request.op) {
    case Op::kSetLine:
      m[4] = request.dataBits;
      m[5] = request.parity;
      m[6] = request.stopBits;
      break;
    case Op::kSetModem:
      m[4] = request.mask;
      m[5] = request.value;
      break;
    case Op::kBreak:
      m[4] = request.breakOn ? 1 : 0;
      break;
    case Op::kGetModem:
      break;
    case Op::kWaitModem:
      m[4] = request.mask;
      break;
    case Op::kGetCount:
      m[4] = request.counter;
      m[5] = request.highHalf ? 1 : 0;
      break;
  }
  return m;
}

DecodeError DecodeRequest(std::span<const std::uint8_t> bytes, Request* out) {
  if (const DecodeError error = CheckFrame(bytes); error != DecodeError::kNone) return error;
  if (!KnownOp(bytes[3])) return DecodeError::kBadOp;
  const Op op = static_cast<Op>(bytes[3]);
  if (const DecodeError error = CheckArguments(op, bytes[4], bytes[5], bytes[6]);
      error != DecodeError::kNone) {
    return error;
  }
  Request request;
  request.op = op;
  switch (op) {
    case Op::kSetLine:
      request.dataBits = bytes[4];
      request.parity = bytes[5];
      request.stopBits = bytes[6];
      break;
    case Op::kSetModem:
      request.mask = bytes[4];
      request.value = bytes[5];
      break;
    case Op::kBreak:
      request.breakOn = bytes[4] == 1;
      break;
    case Op::kGetModem:
      break;
    case Op::kWaitModem:
      request.mask = bytes[4];
      break;
    case Op::kGetCount:
      request.counter = bytes[4];
      request.highHalf = bytes[5] == 1;
      break;
  }
  *out = request;
  return DecodeError::kNone;
}

Message EncodeReply(const Reply& reply) {
  Message m = Header(reply.op);
  m[4] = static_cast<std::uint8_t>(reply.status);
  if (reply.op == Op::kGetCount) {
    m[5] = static_cast<std::uint8_t>(reply.count >> 8);
    m[6] = static_cast<std::uint8_t>(reply.count & 0xFF);
    return m;
  }
  m[5] = reply.lines & kAllLines;
  m[6] =
      static_cast<std::uint8_t>((reply.linesKnown ? kReplyLinesKnown : 0) |
                                (reply.waiting && reply.op == Op::kWaitModem ? kReplyWaiting : 0));
  return m;
}

DecodeError DecodeReply(std::span<const std::uint8_t> bytes, Reply* out) {
  if (const DecodeError error = CheckFrame(bytes); error != DecodeError::kNone) return error;
  if (!KnownOp(bytes[3])) return DecodeError::kBadOp;
  const Op op = static_cast<Op>(bytes[3]);
  const std::uint8_t lastStatus =
      static_cast<std::uint8_t>(op == Op::kWaitModem ? Status::kNoConnection : Status::kRefused);
  if (bytes[4] > lastStatus) return DecodeError::kBadValue;
  Reply reply;
  reply.op = op;
  reply.status = static_cast<Status>(bytes[4]);
  if (op == Op::kGetCount) {
    reply.count = static_cast<std::uint16_t>(bytes[5] << 8 | bytes[6]);
  } else {
    const std::uint8_t flags =
        op == Op::kWaitModem ? kReplyLinesKnown | kReplyWaiting : kReplyLinesKnown;
    if ((bytes[5] & ~kAllLines) != 0 || (bytes[6] & ~flags) != 0) return DecodeError::kBadValue;
    reply.lines = bytes[5];
    reply.linesKnown = (bytes[6] & kReplyLinesKnown) != 0;
    reply.waiting = (bytes[6] & kReplyWaiting) != 0;
  }
  *out = reply;
  return DecodeError::kNone;
}

const char* DecodeErrorText(DecodeError error) {
  switch (error) {
    case DecodeError::kNone:
      return "valid";
    case DecodeError::kTruncated:
      return "truncated";
    case DecodeError::kOversize:
      return "oversize";
    case DecodeError::kBadMagic:
      return "not a control message";
    case DecodeError::kBadVersion:
      return "unknown version";
    case DecodeError::kBadOp:
      return "unknown operation";
    case DecodeError::kBadValue:
      return "value out of range";
  }
  return "invalid";
}

}  // namespace vport::control
