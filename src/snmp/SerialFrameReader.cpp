#include "snmp/SerialFrameReader.h"

#include "platform/SerialLine.h"
#include "snmp/SerialFrame.h"
#include "snmp/SnmpTransport.h"

namespace snmp {

namespace {

int32_t Refuse(platform::SerialLine& line, int32_t code) {
  line.PurgeInput();
  return code;
}

}  // namespace

int32_t ReadSerialFrame(platform::SerialLine& line, const SerialFrameReadOptions& options,
                        uint8_t* buffer, size_t size, size_t* length) {
  uint8_t raw[kSerialFrameHeaderSize];
  long got = line.Read(raw, sizeof raw);
  if (got < 0) return kTransportOther;
  if (static_cast<size_t>(got) < sizeof raw) return Refuse(line, kTransportTimeout);

  SerialFrameHeader header;
  if (DecodeSerialFrameHeader(raw, sizeof raw, &header) != SerialFrameError::Ok) {
    return Refuse(line, kTransportFrameRejected);
  }
  if (header.type != options.expectedType) {
    bool deviceError = header.type == SERIAL_FRAME_DEVICE_ERROR && options.deviceErrorIsFailure;
    return Refuse(line, deviceError ? kTransportOther : kTransportFrameRejected);
  }
  if (header.length > size || (header.length > 0 && buffer == nullptr)) {
    return Refuse(line, kTransportPduTooBig);
  }
  if (header.length > 0) {
    got = line.Read(buffer, header.length);
    if (got < 0) return Refuse(line, kTransportOther);
    if (static_cast<size_t>(got) < header.length) return Refuse(line, kTransportTimeout);
  }
  *length = header.length;
  return kTransportSuccess;
}

}  // namespace snmp
