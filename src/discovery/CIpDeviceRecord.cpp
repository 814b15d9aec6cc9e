#include "discovery/CIpDeviceRecord.h"

#include <chrono>
#include <cstring>

#include "discovery/CDeviceColumnTable.h"
#include "discovery/DeviceWait.h"
#include "discovery/DiscoveryRequest.h"
#include "discovery/DiscoverySocket.h"
#include "discovery/ExtendedQuery.h"

namespace discovery {
namespace {

// The wait that lets a new socket's first notification pass.
constexpr int kFirstNotificationMs = 200;
// Datagrams from elsewhere that one query reads before it gives up: a flood must not hold it.
constexpr int kMaxForeignDatagrams = 1024;

double SteadySeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// Waits for and reads the reply from address. kRecordOk, kRecordFailed or kRecordCancelled.
int AwaitReply(int socket, DeviceWait& wait, const char* address, int timeoutMs,
               std::vector<uint8_t>* reply) {
  uint8_t buffer[kReplyBufferSize];
  char sender[record_size::kAddress];
  int foreign = 0;
  while (foreign < kMaxForeignDatagrams) {
    const int size = ReceiveDatagramFrom(socket, sender, sizeof sender, buffer, sizeof buffer);
    if (size < 0) {
      const int waited = wait.Wait(DeviceWait::kSocketMessage, timeoutMs);
      if (waited == DeviceWait::kWaitCancelled) return kRecordCancelled;
      if (waited != static_cast<int>(DeviceWait::kSocketMessage)) return kRecordFailed;
      continue;
    }
    const size_t length = static_cast<size_t>(size);
    if (std::strcmp(sender, address) == 0 && HasReplyMagic(buffer, length)) {
      reply->assign(buffer, buffer + length);
      return kRecordOk;
    }
    ++foreign;
  }
  return kRecordFailed;
}

}  // namespace

CIpDeviceRecord::CIpDeviceRecord(DeviceWait* wait, const DeviceRecordOptions& options)
    : CDeviceRecord(wait, options), clock_(SteadySeconds) {}

const char* CIpDeviceRecord::OwnColumnText(int i) const {
  switch (i) {
    case kColIpAddress:
      return ipAddress_;
    case kColSubnetMask:
      return subnetMask_;
    case kColDefaultGateway:
      return defaultGateway_;
    default:
      return nullptr;
  }
}

void CIpDeviceRecord::FillAddresses(const DiscoveryReply& reply) {
  CopyText(ipAddress_, DottedAddress(reply.ipAddress));
  CopyText(subnetMask_, DottedAddress(reply.subnetMask));
  CopyText(defaultGateway_, DottedAddress(reply.defaultGateway));
}

int CIpDeviceRecord::Query(std::vector<uint8_t>* replyOut) {
  MarkNotValid();
  Clear();
  std::vector<uint8_t> reply;
  const int result = Exchange(&reply);
  if (result != kRecordOk) {
    // A device that does not answer shows the level of "No Response" in its Status column.
    if (result == kRecordFailed) ShowDeviceLevel();
    return result;
  }
  if (replyOut != nullptr) *replyOut = reply;
  const int filled = FillFromReply(reply.data(), reply.size());
  if (filled == ExtendedQuery::kCancelled) return kRecordCancelled;
  // A failing SNMP query leaves the reply's values: the device did answer.
  return filled == kRecordFailed ? kRecordFailed : kRecordOk;
}

int CIpDeviceRecord::Exchange(std::vector<uint8_t>* reply) {
  DeviceWait* wait = GetWaitWindow();
  if (wait == nullptr) return kRecordFailed;
  int socket = kInvalidSocket;
  int result = kRecordFailed;
  if (CreateDiscoverySocket(&socket, wait) != 0) {
    result = kRecordFailed;
  } else if (wait->Wait(DeviceWait::kSocketMessage, kFirstNotificationMs) ==
             DeviceWait::kWaitCancelled) {
    result = kRecordCancelled;
  } else if (SendDiscoveryDatagram(socket, ipAddress_, kUnicastQuery.data(),
                                   static_cast<int>(kUnicastQuery.size())) != 0) {
    result = kRecordFailed;
  } else {
    result = AwaitReply(socket, *wait, ipAddress_, Options().broadcastTimeoutMs, reply);
  }
  CloseDiscoverySocket(socket, wait);
  return result;
}

int CIpDeviceRecord::SetAddressAndQuery(std::string_view address) {
  SetIpAddress(address);
  return Query();
}

int CIpDeviceRecord::QueryWithTimeLimit(int seconds, const char* address) {
  const double start = clock_();
  if (address != nullptr) SetIpAddress(address);
  int result = Query();
  while (result != kRecordOk && result != kRecordCancelled && clock_() - start < seconds) {
    result = Query();
  }
  return result;
}

int CIpDeviceRecord::GetStatusText(std::string* text, int port) {
  text->clear();
  if (DeviceWait* wait = GetWaitWindow()) wait->SetText(kMsgReadingStatus);
  std::vector<uint8_t> reply;
  const int result = Query(&reply);
  if (result == kRecordCancelled) return kRecordCancelled;
  if (reply.empty()) {
    *text = "Cannot communicate with the server.";  // 5018
    return kRecordFailed;
  }
  const ReplyParseResult parsed = ParseDiscoveryReply(reply.data(), reply.size());
  if (parsed.error != ReplyError::kNone) {
    *text = "Unknown Format";
    return kRecordFailed;
  }
  *text = FormatStatusReport(parsed.reply, port);
  return kRecordOk;
}

std::string CIpDeviceRecord::FormatStatusReport(const DiscoveryReply& reply, int port) {
  std::string text;
  if (port == kAllPorts) {
    for (size_t i = 0; i < reply.ports.size(); ++i) {
      const ReplyPort& entry = reply.ports[i];
      text += "Printer " + std::to_string(i + 1) + ": " +
              PortStatusText(entry.state, entry.condition) + "\n";
    }
  } else {
    // A port the reply does not describe has no status to show.
    std::string status;
    if (port >= 0 && static_cast<size_t>(port) < reply.ports.size()) {
      status = PortStatusText(reply.ports[port].state, reply.ports[port].condition);
    }
    text += "Printer: " + status + "\n";
  }
  text += "General Status: " + reply.generalStatus;
  return text;
}

}  // namespace discovery
