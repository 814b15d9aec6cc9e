#include "snmp/SnmpSerialTransport.h"

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "platform/ComPortResolver.h"
#include "platform/SerialPort.h"
#include "snmp/SerialFrame.h"
#include "snmp/SerialFrameReader.h"

namespace snmp {

namespace {

constexpr size_t kPortNameLength = 4;

void Pause(const SnmpTransportConfig& config, unsigned ms) {
  if (config.sleep) {
    config.sleep(ms);
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
}

std::unique_ptr<platform::SerialLine> OpenLine(const SnmpTransportConfig& config,
                                               const std::string& name) {
  if (config.openSerial) return config.openSerial(name);
  std::string path = platform::ResolveComPort(name, config.comPortMapping);
  if (path.empty()) return nullptr;
  return platform::SerialPort::Open(path);
}

// Closes the session's port without a goodbye and forgets it. False when the close failed.
bool DropPort(SnmpTransportSession* session) {
  bool closed = true;
  if (session->serialLine) closed = session->serialLine->Close();
  session->serialLine.reset();
  session->serialPortName[0] = '\0';
  session->serialOpen = false;
  return closed;
}

// Sends the wake-up breaks and waits for the device's answering break.
bool WakeDevice(platform::SerialLine& line, const SnmpTransportConfig& config) {
  if (!line.ArmLineEvents()) return false;
  for (unsigned pulse = 0; pulse < kSerialBreakPulses; ++pulse) {
    line.SetBreak(true);
    Pause(config, kSerialBreakMs);
    line.SetBreak(false);
    Pause(config, kSerialBreakMs);
  }
  for (unsigned poll = 0; poll < kSerialBreakPolls; ++poll) {
    switch (line.WaitLineEvent(kSerialBreakPollMs)) {
      case platform::SerialLineEvent::Break:
        return true;
      case platform::SerialLineEvent::None:
        continue;
      case platform::SerialLineEvent::LineError:  // an event came, but not a break
      case platform::SerialLineEvent::Failed:
        return false;
    }
  }
  return false;
}

bool WriteAll(platform::SerialLine& line, const uint8_t* data, size_t length) {
  if (length == 0) return true;
  long written = line.Write(data, length);
  return written >= 0 && static_cast<size_t>(written) == length;
}

bool WriteHeader(platform::SerialLine& line, uint8_t type, uint16_t length) {
  uint8_t header[kSerialFrameHeaderSize];
  EncodeSerialFrameHeader(type, length, header);
  return WriteAll(line, header, sizeof header);
}

bool ValidPortName(const SnmpTransportEntity* entity) {
  return entity != nullptr && entity->kind == SNMP_TRANSPORT_SERIAL &&
         strnlen(entity->portName, sizeof entity->portName) == kPortNameLength;
}

}  // namespace

platform::SerialSettings SnmpSerialLineSettings() {
  platform::SerialSettings s;
  s.baudRate = 57600;
  s.dataBits = 8;
  s.parity = platform::SerialParity::None;
  s.stopBits = platform::SerialStopBits::One;
  s.ctsOutputFlow = true;
  s.dtr = platform::SerialDtr::Off;
  s.rts = platform::SerialRts::Handshake;
  s.inputQueue = 600;
  s.outputQueue = 600;
  s.timeouts.readIntervalMs = 4000;
  s.timeouts.readTotalMultiplierMs = 2;
  s.timeouts.readTotalConstantMs = 4000;
  s.timeouts.writeTotalMultiplierMs = 2;
  s.timeouts.writeTotalConstantMs = 400;
  return s;
}

int32_t SerialTransportOpenPort(SnmpTransportSession* session, const SnmpTransportEntity* entity) {
  if (session == nullptr || !ValidPortName(entity)) return kTransportUndeliverable;
  if (session->serialLine && std::strncmp(session->serialPortName, entity->portName,
                                          sizeof session->serialPortName) == 0) {
    return kTransportSuccess;
  }
  DropPort(session);

  const SnmpTransportConfig& config = session->Config();
  const std::string name(entity->portName, kPortNameLength);
  const platform::SerialSettings settings = SnmpSerialLineSettings();

  std::unique_ptr<platform::SerialLine> line = OpenLine(config, name);
  if (!line) return kTransportUndeliverable;
  if (!line->Configure(settings) || !WakeDevice(*line, config)) {
    line->Close();
    return kTransportUndeliverable;
  }
  Pause(config, kSerialSettleMs);
  line->PurgeInput();
  line->Close();

  // Opened afresh for the conversation itself, as the handshake left it.
  line = OpenLine(config, name);
  if (!line) return kTransportUndeliverable;
  if (!line->Configure(settings)) {
    line->Close();
    return kTransportUndeliverable;
  }
  session->serialLine = std::move(line);
  std::memcpy(session->serialPortName, entity->portName, kPortNameLength);
  session->serialPortName[kPortNameLength] = '\0';
  session->serialOpen = true;
  return kTransportSuccess;
}

int32_t SerialTransportStartup() {
  return kTransportSuccess;
}
int32_t SerialTransportCleanup() {
  return kTransportSuccess;
}

int32_t SerialTransportOpen(SnmpTransportSession* session) {
  if (session == nullptr) return kTransportNotInitialized;
  DropPort(session);
  return kTransportSuccess;
}

int32_t SerialTransportClose(SnmpTransportSession* session) {
  if (session == nullptr) return kTransportNotAvailable;
  if (session->serialOpen && session->serialLine) {
    if (!WriteHeader(*session->serialLine, SERIAL_FRAME_GOODBYE, 0)) {
      DropPort(session);
      return kTransportNotAvailable;
    }
  }
  return DropPort(session) ? kTransportSuccess : kTransportNotAvailable;
}

int32_t SerialTransportSend(SnmpTransportSession* session, const SnmpTransportEntity* dst,
                            const uint8_t* message, size_t length) {
  if (message == nullptr && length > 0) return kTransportOther;
  // The length field has 16 bits; a longer message cannot be framed.
  if (length > kSerialFrameMaxPayload) return kTransportPduTooBig;
  int32_t opened = SerialTransportOpenPort(session, dst);
  if (opened != kTransportSuccess) return opened;
  platform::SerialLine& line = *session->serialLine;
  if (!WriteHeader(line, SERIAL_FRAME_MESSAGE, static_cast<uint16_t>(length)) ||
      !WriteAll(line, message, length)) {
    return kTransportOther;
  }
  if (session->notify) session->notify();
  return kTransportSuccess;
}

int32_t SerialTransportReceive(SnmpTransportSession* session, SnmpTransportEntity* /*src*/,
                               SnmpTransportEntity* /*dst*/, uint8_t* buffer, size_t* length) {
  if (session == nullptr || !session->serialLine || length == nullptr) return kTransportOther;
  SerialFrameReadOptions options;
  options.expectedType = SERIAL_FRAME_MESSAGE;
  options.deviceErrorIsFailure = true;
  return ReadSerialFrame(*session->serialLine, options, buffer, *length, length);
}

int32_t SerialTransportRegister(SnmpTransportSession* /*session*/, int32_t /*state*/) {
  return kTransportNotSupported;
}

int32_t SerialTransportStrToEntity(const char* text, SnmpTransportEntity* entity) {
  if (text == nullptr || entity == nullptr) return kTransportTextRefused;
  size_t length = strnlen(text, kPortNameLength + 2);
  bool accepted = std::strncmp(text, "COM", 3) == 0 && text[3] != '\0' &&
                  (length == kPortNameLength || (length == kPortNameLength + 1 && text[4] == ':'));
  if (!accepted) return kTransportTextRefused;
  entity->kind = SNMP_TRANSPORT_SERIAL;
  std::memcpy(entity->portName, text, kPortNameLength);
  entity->portName[kPortNameLength] = '\0';
  return kTransportSuccess;
}

int32_t SerialTransportEntityToStr(const SnmpTransportEntity* entity, size_t size, char* buffer) {
  if (entity == nullptr || buffer == nullptr || size == 0) return kTransportOutputTruncated;
  size_t length = strnlen(entity->portName, kPortNameLength);
  if (length + 1 > size) {
    // What fits, still terminated.
    std::memcpy(buffer, entity->portName, size - 1);
    buffer[size - 1] = '\0';
    return kTransportOutputTruncated;
  }
  std::memcpy(buffer, entity->portName, length);
  buffer[length] = '\0';
  return kTransportSuccess;
}

int32_t SerialTransportExchange(SnmpTransportSession* session, const SnmpTransportEntity* entity,
                                size_t size, uint8_t* buffer, size_t* length) {
  if (length == nullptr) return kTransportOther;
  int32_t opened = SerialTransportOpenPort(session, entity);
  if (opened != kTransportSuccess) return opened;
  platform::SerialLine& line = *session->serialLine;
  if (!WriteHeader(line, SERIAL_FRAME_INFORMATION, 0)) return kTransportOther;
  SerialFrameReadOptions options;
  options.expectedType = SERIAL_FRAME_INFORMATION;
  options.deviceErrorIsFailure = false;
  return ReadSerialFrame(line, options, buffer, size, length);
}

void SnmpSerialTransportInit(SnmpTransportOps* ops) {
  *ops = SnmpTransportOps{};
  ops->TransportStartup = SerialTransportStartup;
  ops->TransportCleanup = SerialTransportCleanup;
  ops->TransportOpen = SerialTransportOpen;
  ops->TransportClose = SerialTransportClose;
  ops->TransportSend = SerialTransportSend;
  ops->TransportReceive = SerialTransportReceive;
  ops->TransportRegister = SerialTransportRegister;
  ops->TransportStrToEntity = SerialTransportStrToEntity;
  ops->TransportEntityToStr = SerialTransportEntityToStr;
  ops->TransportExchange = SerialTransportExchange;
}

}  // namespace snmp
