#include "vport/PortReportCodec.h"

#include <string>

#include "platform/ByteReader.h"
#include "vport/PortFigures.h"

namespace vport {

namespace {

constexpr char kMagic[4] = {'P', 'L', 'P', 'S'};
constexpr std::uint8_t kFlagApplicationOpen = 0x01;
constexpr std::uint64_t kHighestState = static_cast<std::uint64_t>(PortReport::State::kOpen);

void Put(std::vector<std::uint8_t>& out, std::uint64_t value, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutText(std::vector<std::uint8_t>& out, const std::string& text, std::size_t max,
             std::size_t lengthBytes) {
  const std::string cut = PortFigures::Cut(text, max);
  Put(out, cut.size(), lengthBytes);
  out.insert(out.end(), cut.begin(), cut.end());
}

using Error = PortReportCodec::DecodeError;

// A text with a length of lengthBytes bytes, min to max bytes long.
Error TakeText(platform::ByteReader& in, std::size_t lengthBytes, std::size_t min, std::size_t max,
               std::string* out) {
  std::uint64_t length = 0;
  if (!in.Unsigned(lengthBytes, &length)) return Error::kTruncated;
  if (length < min || length > max) return Error::kBadValue;
  return in.Text(static_cast<std::size_t>(length), out) ? Error::kNone : Error::kTruncated;
}

Error TakePort(platform::ByteReader& in, PortReport* port) {
  std::uint64_t state = 0, flags = 0, reconnects = 0, since = 0, rx = 0, tx = 0;
  if (!in.Unsigned(1, &state) || !in.Unsigned(1, &flags) || !in.Unsigned(4, &reconnects) ||
      !in.Unsigned(8, &since) || !in.Unsigned(8, &rx) || !in.Unsigned(8, &tx)) {
    return Error::kTruncated;
  }
  if (state > kHighestState || (flags & ~std::uint64_t{kFlagApplicationOpen}) != 0 ||
      static_cast<std::int64_t>(since) < 0) {
    return Error::kBadValue;
  }
  port->state = static_cast<PortReport::State>(state);
  port->applicationOpen = (flags & kFlagApplicationOpen) != 0;
  port->reconnects = static_cast<std::uint32_t>(reconnects);
  port->connectedSince = static_cast<std::int64_t>(since);
  port->rxBytes = rx;
  port->txBytes = tx;
  Error error = TakeText(in, 1, 1, PortReportCodec::kMaxName, &port->comName);
  if (error == Error::kNone) error = TakeText(in, 1, 0, PortReportCodec::kMaxServer, &port->server);
  if (error == Error::kNone)
    error = TakeText(in, 2, 0, PortReportCodec::kMaxError, &port->lastError);
  return error;
}

}  // namespace

std::vector<std::uint8_t> PortReportCodec::Encode(const std::vector<PortReport>& reports) {
  const std::size_t count = reports.size() < kMaxPorts ? reports.size() : kMaxPorts;
  std::vector<std::uint8_t> out(kMagic, kMagic + 4);
  Put(out, kVersion, 2);
  Put(out, count, 2);
  for (std::size_t i = 0; i < count; ++i) {
    const PortReport& port = reports[i];
    Put(out, static_cast<std::uint64_t>(port.state), 1);
    Put(out, port.applicationOpen ? kFlagApplicationOpen : 0, 1);
    Put(out, port.reconnects, 4);
    Put(out, static_cast<std::uint64_t>(port.connectedSince > 0 ? port.connectedSince : 0), 8);
    Put(out, port.rxBytes, 8);
    Put(out, port.txBytes, 8);
    PutText(out, port.comName, kMaxName, 1);
    PutText(out, port.server, kMaxServer, 1);
    PutText(out, port.lastError, kMaxError, 2);
  }
  return out;
}

PortReportCodec::DecodeError PortReportCodec::Decode(std::span<const std::uint8_t> bytes,
                                                     std::vector<PortReport>* out) {
  if (bytes.size() > kMaxSize) return DecodeError::kOversize;
  platform::ByteReader in(bytes);
  if (in.Left() < 4) return DecodeError::kTruncated;
  if (!in.Expect(kMagic, 4)) return DecodeError::kBadMagic;
  std::uint64_t version = 0, count = 0;
  if (!in.Unsigned(2, &version) || !in.Unsigned(2, &count)) return DecodeError::kTruncated;
  if (version != kVersion) return DecodeError::kBadVersion;
  if (count > kMaxPorts) return DecodeError::kBadCount;
  std::vector<PortReport> ports(static_cast<std::size_t>(count));
  for (PortReport& port : ports) {
    const DecodeError error = TakePort(in, &port);
    if (error != DecodeError::kNone) return error;
  }
  if (!in.AtEnd()) return DecodeError::kTrailing;
  *out = std::move(ports);
  return DecodeError::kNone;
}

const char* PortReportCodec::ErrorText(DecodeError error) {
  switch (error) {
    case DecodeError::kNone:
      return "none";
    case DecodeError::kTruncated:
      return "truncated";
    case DecodeError::kOversize:
      return "oversize";
    case DecodeError::kBadMagic:
      return "bad magic";
    case DecodeError::kBadVersion:
      return "bad version";
    case DecodeError::kBadCount:
      return "bad count";
    case DecodeError::kBadValue:
      return "bad value";
    case DecodeError::kTrailing:
      return "trailing bytes";
  }
  return "unknown";
}

}  // namespace vport
