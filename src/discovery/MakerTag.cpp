#include "discovery/MakerTag.h"

#include "discovery/DiscoveryReply.h"

namespace discovery {

bool MakerTagMatches(std::string_view deviceTag, std::string_view tag) {
  if (deviceTag == tag) return true;
  return deviceTag.size() == kMakerFieldSize && tag.size() > kMakerFieldSize &&
         tag.substr(0, kMakerFieldSize) == deviceTag;
}

}  // namespace discovery
