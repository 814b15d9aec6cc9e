// Feeds arbitrary line input to the serial frame reader and the frame decoder. The first input
// octet picks the receiving buffer's size, the second the expected frame type.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ScriptedSerialLine.h"
#include "snmp/SerialFrame.h"
#include "snmp/SerialFrameReader.h"
#include "snmp/SnmpTransport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t bufferSize = static_cast<size_t>(data[0]) * 8;
  snmp::SerialFrameReadOptions options;
  options.expectedType = data[1] & 1;
  options.deviceErrorIsFailure = (data[1] & 2) != 0;
  data += 2;
  size -= 2;

  snmp::SerialFrameView view;
  if (snmp::DecodeSerialFrame(data, size, &view) == snmp::SerialFrameError::Ok) {
    if (view.frameSize > size || view.payload + view.header.length > data + size) __builtin_trap();
  }

  auto script = std::make_shared<platform::SerialScript>();
  script->Feed(std::vector<uint8_t>(data, data + size));
  platform::ScriptedSerialLine line(script);
  // Exactly the buffer's size, so that the sanitizer sees any overrun.
  std::vector<uint8_t> buffer(bufferSize);
  for (int frame = 0; frame < 8 && !script->input.empty(); ++frame) {
    size_t length = 0;
    int32_t result = snmp::ReadSerialFrame(line, options, buffer.data(), buffer.size(), &length);
    if (result == snmp::kTransportSuccess && length > buffer.size()) __builtin_trap();
  }
  return 0;
}
