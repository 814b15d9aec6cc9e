// Any config text: the parser stays within its bounds and never gives more devices than allowed.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ConfigFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  devsim::SimOptions options;
  devsim::DeviceSeries defaults;
  const auto error = devsim::ParseConfig(
      std::string_view(reinterpret_cast<const char*>(data), size), defaults, &options);
  if (options.devices.size() > devsim::kMaxDevices) std::abort();
  for (const devsim::DeviceConfig& d : options.devices) {
    if (d.ports.size() > devsim::kMaxPortEntries) std::abort();
  }
  (void)error;
  return 0;
}
