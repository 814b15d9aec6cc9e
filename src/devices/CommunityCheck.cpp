#include "devices/CommunityCheck.h"

#include "devices/CommunityPrompt.h"
#include "discovery/CDeviceRecord.h"
#include "res/StringTable.h"
#include "snmp/CSnmpManager.h"

namespace devices {

namespace {

// Asks until the name matches; kOk, kCancel or kIgnore.
template <typename Matches>
int AskUntilAccepted(unsigned messageId, std::string* community, CommunityPrompt& prompt,
                     Matches matches) {
  const std::string message = res::LoadString(messageId);
  // The dialog offers Ignore only where reading alone can go on: never for the GET name.
  const bool offerIgnore = message.find("GET") == std::string::npos;
  while (!matches(*community)) {
    std::string entered = *community;
    const int answer = prompt.AskCommunity(message, offerIgnore, &entered);
    if (answer == CommunityPrompt::kIgnore && offerIgnore) return answer;
    if (answer != CommunityPrompt::kOk) return CommunityPrompt::kCancel;
    *community = entered.substr(0, snmp::CSnmpManager::kMaxCommunity);
  }
  return CommunityPrompt::kOk;
}

}  // namespace

int CheckCommunities(const discovery::CDeviceRecord& record, std::string* getCommunity,
                     std::string* setCommunity, CommunityPrompt& prompt) {
  const int get =
      AskUntilAccepted(kGetCommunityInvalid, getCommunity, prompt,
                       [&](const std::string& t) { return record.MatchesGetCommunity(t); });
  if (get != CommunityPrompt::kOk) return kCommunitiesCancelled;
  if (setCommunity->empty()) return kCommunitiesReadOnly;
  const int set =
      AskUntilAccepted(kSetCommunityInvalid, setCommunity, prompt,
                       [&](const std::string& t) { return record.MatchesSetCommunity(t); });
  if (set == CommunityPrompt::kIgnore) return kCommunitiesReadOnly;
  if (set != CommunityPrompt::kOk) return kCommunitiesCancelled;
  return kCommunitiesAccepted;
}

}  // namespace devices
