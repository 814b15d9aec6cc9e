// Feeds arbitrary payloads to the port report decoder (it reads what a socket peer sent): a
// payload that decodes must encode back to the very same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "vport/PortReportCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<vport::PortReport> ports;
  const auto error =
      vport::PortReportCodec::Decode(std::span<const std::uint8_t>(data, size), &ports);
  if (error != vport::PortReportCodec::DecodeError::kNone) return 0;
  const std::vector<std::uint8_t> back = vport::PortReportCodec::Encode(ports);
  if (back != std::vector<std::uint8_t>(data, data + size)) std::abort();
  return 0;
}
