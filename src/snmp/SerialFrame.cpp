#include "snmp/SerialFrame.h"

namespace snmp {

namespace {
constexpr uint8_t kMarker[3] = {0x2E, 0x2C, 0x3A};
}

void EncodeSerialFrameHeader(uint8_t type, uint16_t length, uint8_t out[kSerialFrameHeaderSize]) {
  out[0] = kMarker[0];
  out[1] = kMarker[1];
  out[2] = kMarker[2];
  out[3] = type;
  out[4] = static_cast<uint8_t>(length & 0xFF);
  out[5] = static_cast<uint8_t>(length >> 8);
}

SerialFrameError DecodeSerialFrameHeader(const uint8_t* data, size_t size, SerialFrameHeader* out) {
  if (data == nullptr || size < kSerialFrameHeaderSize) return SerialFrameError::Truncated;
  if (data[0] != kMarker[0] || data[1] != kMarker[1] || data[2] != kMarker[2]) {
    return SerialFrameError::BadMarker;
  }
  out->type = data[3];
  out->length = static_cast<uint16_t>(data[4] | (data[5] << 8));
  return SerialFrameError::Ok;
}

SerialFrameError DecodeSerialFrame(const uint8_t* data, size_t size, SerialFrameView* out) {
  SerialFrameHeader header;
  SerialFrameError error = DecodeSerialFrameHeader(data, size, &header);
  if (error != SerialFrameError::Ok) return error;
  if (header.length > size - kSerialFrameHeaderSize) return SerialFrameError::Truncated;
  out->header = header;
  out->payload = data + kSerialFrameHeaderSize;
  out->frameSize = kSerialFrameHeaderSize + header.length;
  return SerialFrameError::Ok;
}

}  // namespace snmp
