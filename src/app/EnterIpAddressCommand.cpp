#include "app/EnterIpAddressCommand.h"

#include "discovery/CIpDiscoveryEngine.h"
#include "discovery/DiscoveryRequest.h"

namespace app {

unsigned EnterIpAddressCommand::Check(const std::string& ip) {
  return discovery::ParseStrictAddress(ip) ? 0 : kMsgBadIpAddress;
}

EnterIpAddressCommand::Result EnterIpAddressCommand::Run(const std::string& hwAddress,
                                                         const Hooks& hooks) {
  if (!discovery::DeviceIdFromHwAddress(hwAddress)) {
    hooks.show(kMsgBadHwAddress);
    return Result::kBadHwAddress;
  }
  std::string ip;
  for (;;) {
    if (!hooks.runDialog(ip)) return Result::kCancelled;
    const int sent = hooks.send(ip);
    if (sent == discovery::kSetAddressOk) break;
    // A failed socket was reported where it failed; the dialog stays, as it was typed.
    if (sent != discovery::kSetAddressSocketFailed) hooks.show(static_cast<unsigned>(sent));
  }
  const int confirmed = hooks.confirm(ip);
  if (confirmed != discovery::kSetAddressOk && confirmed != discovery::kRecordCancelled) {
    hooks.show(kMsgCannotCommunicate);
  }
  hooks.refreshRows();
  if (confirmed == discovery::kSetAddressOk) return Result::kAssigned;
  return confirmed == discovery::kRecordCancelled ? Result::kCancelled : Result::kNoAnswer;
}

}  // namespace app
