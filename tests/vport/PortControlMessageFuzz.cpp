// Feeds arbitrary packets to the control message decoders (they face a socket): a packet that
// decodes must encode back to the very same bytes, and nothing else may decode.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "vport/PortControlMessage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vport::control;
  const std::span<const std::uint8_t> bytes(data, size);
  Request request;
  if (DecodeRequest(bytes, &request) == DecodeError::kNone) {
    const Message back = EncodeRequest(request);
    if (size != kMessageSize || std::memcmp(back.data(), data, size) != 0) std::abort();
  }
  Reply reply;
  if (DecodeReply(bytes, &reply) == DecodeError::kNone) {
    const Message back = EncodeReply(reply);
    if (size != kMessageSize || std::memcmp(back.data(), data, size) != 0) std::abort();
  }
  return 0;
}
