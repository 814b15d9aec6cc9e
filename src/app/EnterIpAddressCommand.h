// "Enter IP address" (dialog 109) for a device that has no address yet, without widgets: offered
// by the device list's pop-up menu for an unconfigured device and by a double-click on a device in
// the view "Unconfigured Print Servers". The dialog, the set-address request, the confirming
// query and the list are reached through hooks, so the frame wires them and tests script them.
#pragma once

#include <functional>
#include <string>

namespace app {

class EnterIpAddressCommand {
 public:
  static constexpr unsigned kDialogId = 109;
  static constexpr int kAddressLength = 15;  // edit 1019
  static constexpr const char* kPrompt =
      "The server does not have an IP address, please assign one now:";
  static constexpr unsigned kMsgBadHwAddress = 5000;
  static constexpr unsigned kMsgBadIpAddress = 5003;
  static constexpr unsigned kMsgSendFailed = 5004;
  static constexpr unsigned kMsgCannotCommunicate = 5018;

  enum class Result { kBadHwAddress, kCancelled, kAssigned, kNoAnswer };

  struct Hooks {
    // Dialog 109; true on OK with the address typed (already checked by Check).
    std::function<bool(std::string& ip)> runDialog;
    // The set-address request (20 retries): 0 sent, 1 the socket failed (reported by the socket
    // layer), else the id of the message to show (5000, 5003, 5004).
    std::function<int(const std::string& ip)> send;
    // Queries the device at ip under the wait window ("Setting IP address") for up to
    // ResetTimeout seconds: 0 answered, 2 cancelled, else 5018 (the old address kept).
    std::function<int(const std::string& ip)> confirm;
    std::function<void(unsigned messageId)> show;
    // The device's rows are shown again (it may now leave the view, or keep its old address).
    std::function<void()> refreshRows;
  };

  // The dialog's check on OK: 0, or 5003 for an address that is not strictly valid.
  static unsigned Check(const std::string& ip);
  // 5000 without a usable H/W Address; otherwise the dialog comes back after a refused request
  // until the request went out or the user cancelled, then the device is confirmed.
  static Result Run(const std::string& hwAddress, const Hooks& hooks);
};

}  // namespace app
