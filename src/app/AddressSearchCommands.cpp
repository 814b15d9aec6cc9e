#include "app/AddressSearchCommands.h"

#include "platform/Prompt.h"
#include "res/StringTable.h"

namespace app {

AddressSearchCommands::Result AddressSearchCommands::Search(bool tcpIpView,
                                                            const SearchHooks& hooks,
                                                            platform::Prompt& prompt,
                                                            const std::string& caption) {
  if (!tcpIpView) {
    prompt.MessageBox(res::LoadString(kSearchNotSupported), caption, platform::MB_OK);
    return Result::kNotSupported;
  }
  std::string address;
  if (!hooks.runDialog || !hooks.runDialog(address)) return Result::kCancelled;
  if (hooks.search && hooks.search(address)) return Result::kFound;
  prompt.MessageBox(res::LoadString(kServerNotFound), caption, platform::MB_OK);
  return Result::kNotFound;
}

AddressSearchCommands::Result AddressSearchCommands::SetupUnlistedServer(
    const UnlistedHooks& hooks) {
  UnlistedServerForm form;
  while (hooks.runDialog && hooks.runDialog(form)) {
    const bool sent = hooks.setAddress && hooks.setAddress(form) == 0;
    if (sent && hooks.findServer && hooks.findServer(form.ipAddress)) return Result::kFound;
    if (hooks.reportError) hooks.reportError(kCannotCommunicate);
  }
  return Result::kCancelled;
}

}  // namespace app
