// Whether a view can be opened or refreshed: only TCP/IP views, and only while UDP is there.
// Otherwise the user is told that the view's protocol could not be initialized (5047, with
// "TCP/IP" for a TCP/IP view and an empty name for any other).
#pragma once

#include <string>

namespace platform {
class Prompt;
}

namespace app {

class ViewAvailability {
 public:
  static constexpr int kTcpIpView = 6;
  static constexpr unsigned kCannotInitialize = 5047;
  static constexpr unsigned kTcpIpName = 6160;

  static bool Check(int viewType, bool udpAvailable, platform::Prompt& prompt,
                    const std::string& caption);
  // The 5047 text for a view type.
  static std::string Message(int viewType);
};

}  // namespace app
