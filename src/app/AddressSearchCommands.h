// "Search" (dialog 115) and "Setup Unlisted IP Server" (dialog 116) without widgets: the dialogs,
// the wait window, the set-address request and the view store are reached through hooks, so the
// frame wires them and tests script them.
#pragma once

#include <functional>
#include <string>

namespace platform {
class Prompt;
}

namespace app {

// The fields of dialog 116.
struct UnlistedServerForm {
  std::string serialNumber;  // 1032
  std::string ipAddress;     // 1033
  std::string sendAddress;   // 1034
  bool multicast = false;    // "Use &Multicast" (1039)
};

class AddressSearchCommands {
 public:
  static constexpr unsigned kSearchNotSupported = 5048;
  static constexpr unsigned kServerNotFound = 5028;
  static constexpr int kCannotCommunicate = 5018;

  enum class Result { kCancelled, kNotSupported, kFound, kNotFound };

  struct SearchHooks {
    std::function<bool(std::string& address)> runDialog;     // dialog 115; true on OK
    std::function<bool(const std::string& address)> search;  // the view store finds the address
  };
  // Only for a TCP/IP view; otherwise 5048. A failed search shows 5028.
  static Result Search(bool tcpIpView, const SearchHooks& hooks, platform::Prompt& prompt,
                       const std::string& caption);

  struct UnlistedHooks {
    std::function<bool(UnlistedServerForm& form)> runDialog;  // dialog 116; true on OK
    // The set-address request under the wait window ("Setting IP address"); 0 when it went out.
    std::function<int(const UnlistedServerForm& form)> setAddress;
    std::function<bool(const std::string& ip)> findServer;  // the view store finds the server
    std::function<void(int code)> reportError;              // class 1, through the reporter
  };
  // Shows the dialog again (with what the user typed) after every failure, until the server is
  // found or the user cancels.
  static Result SetupUnlistedServer(const UnlistedHooks& hooks);
};

}  // namespace app
