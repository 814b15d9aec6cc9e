#include "app/ViewAvailability.h"

#include "platform/Prompt.h"
#include "res/StringTable.h"

namespace app {

std::string ViewAvailability::Message(int viewType) {
  std::string text = res::LoadString(kCannotInitialize);
  const std::string name = viewType == kTcpIpView ? res::LoadString(kTcpIpName) : "";
  const std::size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, name);
  return text;
}

bool ViewAvailability::Check(int viewType, bool udpAvailable, platform::Prompt& prompt,
                             const std::string& caption) {
  if (viewType == kTcpIpView && udpAvailable) return true;
  prompt.MessageBox(Message(viewType), caption, platform::MB_OK | platform::MB_ICONEXCLAMATION);
  return false;
}

}  // namespace app
