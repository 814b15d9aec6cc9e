// Framing of SNMP over a serial line. Every frame, in both directions, is a 6-octet header
// followed by its payload:
//   0-2  marker ".,:" (2E 2C 3A)
//   3    frame type
//   4-5  payload length, unsigned 16-bit little-endian
//   6... payload (the BER message, or the device information)
#pragma once

#include <cstddef>
#include <cstdint>

namespace snmp {

inline constexpr size_t kSerialFrameHeaderSize = 6;
inline constexpr size_t kSerialFrameMaxPayload = 0xFFFF;

enum SerialFrameType : uint8_t {
  SERIAL_FRAME_MESSAGE = 0x00,       // an SNMP message
  SERIAL_FRAME_INFORMATION = 0x01,   // information request (length 0) or reply
  SERIAL_FRAME_DEVICE_ERROR = 0xFE,  // the device reports an error
  SERIAL_FRAME_GOODBYE = 0xFF,       // the manager leaves SNMP mode (length 0)
};

struct SerialFrameHeader {
  uint8_t type = 0;
  uint16_t length = 0;
};

// Writes the header of a frame of type carrying length payload octets into out.
void EncodeSerialFrameHeader(uint8_t type, uint16_t length, uint8_t out[kSerialFrameHeaderSize]);

enum class SerialFrameError : uint8_t {
  Ok,
  Truncated,  // fewer octets than the header or its announced payload need
  BadMarker,  // the first three octets are not the marker
};

// Reads a header from the first kSerialFrameHeaderSize octets of data.
SerialFrameError DecodeSerialFrameHeader(const uint8_t* data, size_t size, SerialFrameHeader* out);

// A whole frame found at the start of a buffer; payload points into that buffer.
struct SerialFrameView {
  SerialFrameHeader header;
  const uint8_t* payload = nullptr;
  size_t frameSize = 0;  // header plus payload
};

// Finds the frame at the start of data. On Truncated, *out is left unchanged.
SerialFrameError DecodeSerialFrame(const uint8_t* data, size_t size, SerialFrameView* out);

}  // namespace snmp
