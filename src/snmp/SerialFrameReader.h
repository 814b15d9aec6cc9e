// Reads one frame of the serial SNMP framing from a line, with the transport's result codes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {
class SerialLine;
}

namespace snmp {

struct SerialFrameReadOptions {
  uint8_t expectedType = 0;
  // A device-error frame (type FE) fails with kTransportOther instead of counting as a wrong type.
  bool deviceErrorIsFailure = true;
};

// Reads a header and then its payload into buffer (size octets); *length gets the payload's
// length. Results: 1; 199 when a read fails or the device reports an error; 108 when fewer octets
// than expected arrive within the line's time-outs; 0 for a wrong marker or type; 109 when the
// payload exceeds size. Whenever a frame is refused or cut short the receive queue is discarded,
// so that the next frame is read from a clean start instead of from the middle of this one.
int32_t ReadSerialFrame(platform::SerialLine& line, const SerialFrameReadOptions& options,
                        uint8_t* buffer, size_t size, size_t* length);

}  // namespace snmp
