// Feeds arbitrary bytes to the running-copy protocol's decoders (they face a local socket that a
// starting copy, or anything else of the user, writes to): what decodes must encode back to the
// same bytes, and a failure must name an offset inside the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/RunningCopyProtocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using Protocol = platform::RunningCopyProtocol;
  Protocol::Request request;
  size_t failedAt = 0;
  if (Protocol::DecodeRequest(data, size, &request, &failedAt) == Protocol::DecodeError::None) {
    const auto back = Protocol::EncodeRequest(request);
    if (size < back.size() || std::memcmp(back.data(), data, back.size()) != 0) std::abort();
  } else if (failedAt > size) {
    std::abort();
  }
  Protocol::Reply reply;
  if (Protocol::DecodeReply(data, size, &reply, &failedAt) == Protocol::DecodeError::None) {
    const auto back = Protocol::EncodeReply(reply);
    if (size < back.size() || std::memcmp(back.data(), data, back.size()) != 0) std::abort();
  } else if (failedAt > size) {
    std::abort();
  }
  return 0;
}
