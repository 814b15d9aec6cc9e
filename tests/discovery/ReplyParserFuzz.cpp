// Feeds arbitrary datagrams to the reply decoder and to a device record, then reads every text
// the record offers: each must stay terminated inside the record's own sizes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "discovery/CDeviceColumnTable.h"
#include "discovery/CIpDeviceRecord.h"
#include "discovery/DiscoveryReply.h"
#include "discovery/MakerTag.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace discovery;
  // Copied so that reads past the datagram hit the end of a heap block the sanitizer watches.
  uint8_t* copy = static_cast<uint8_t*>(std::malloc(size ? size : 1));
  if (size) std::memcpy(copy, data, size);

  const ReplyParseResult parsed = ParseDiscoveryReply(copy, size);
  (void)ReplyDeviceId(copy, size);
  if (parsed.error == ReplyError::kNone) {
    const DiscoveryReply& r = parsed.reply;
    Check(r.ports.size() <= kMaxDevicePorts);
    Check(r.makerTag.size() <= kMakerFieldSize);
    Check(r.systemName.size() <= 128 && r.generalStatus.size() <= 80);
    Check(r.getCommunity.size() <= kCommunityFieldSize);
    (void)MakerTagMatches(r.makerTag, kOwnMakerTag);
    (void)CIpDeviceRecord::FormatStatusReport(r, CDeviceRecord::kAllPorts);
    (void)CIpDeviceRecord::FormatStatusReport(r, static_cast<int>(size % 8));
  } else {
    Check(parsed.offset <= size);
  }

  CIpDeviceRecord record(nullptr);
  const int result = record.FillFromReply(copy, size);
  Check(result == 0 || result == -1);
  Check(record.IsValid() == (parsed.error == ReplyError::kNone));
  Check(record.GetPortCount() >= 0 && record.GetPortCount() <= 6);
  for (int port = -1; port < 6; ++port) {
    record.SelectPort(port);
    for (int i = 0; i < kColumnCount; ++i) {
      // The longest text is the System Name, which keeps its whole 128-byte field.
      if (const char* text = record.GetColumnText(i)) {
        Check(std::strlen(text) < discovery::record_size::kSystemName);
      }
    }
    (void)record.GetLevel(port + 1);
  }
  std::free(copy);
  return 0;
}
