// The check of a device's community names before an operation that writes: the names from the
// access list must equal those the device announced in its discovery reply; while one differs the
// user is asked for it ("Invalid Community Name"). Nothing is sent to the device meanwhile.
#pragma once

#include <string>

namespace discovery {
class CDeviceRecord;
}

namespace devices {

class CommunityPrompt;

enum CommunityCheckResult : int {
  kCommunitiesAccepted = 1,
  kCommunitiesCancelled = 2,
  kCommunitiesReadOnly = 1001,  // the set community was ignored: reads only
};

// The texts of the two questions.
inline constexpr unsigned kGetCommunityInvalid = 5030;
inline constexpr unsigned kSetCommunityInvalid = 5029;

// getCommunity and setCommunity come from the access list and receive the accepted names. With
// an empty set community the result is kCommunitiesReadOnly once the get community is accepted.
int CheckCommunities(const discovery::CDeviceRecord& record, std::string* getCommunity,
                     std::string* setCommunity, CommunityPrompt& prompt);

}  // namespace devices
