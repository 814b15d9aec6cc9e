// The options sheet's Miscellaneous page without its widgets: the discovery port offered (9, then
// 4201 to 4242, and a stored port outside them as an extra item, selected and kept), the list's
// double-click command and when a view refreshes.
#pragma once

#include <vector>

namespace app {

class Settings;

class MiscOptionsPage {
 public:
  static constexpr const char* kAccessIp = "Access\\IP";

  // Why a double-click choice is offered disabled: nothing stands behind the wizard yet. A
  // stored choice of it is kept (the double-click then does nothing).
  static constexpr const char* kWizardUnavailable =
      "The Configuration Wizard is not available in this version of Portolan.";
  static bool IsAvailable(int command);

  explicit MiscOptionsPage(Settings& settings);

  // The ports offered, in order; a stored port outside 9 and 4201-4242 is the last one.
  const std::vector<int>& Ports() const { return ports_; }
  int Port() const { return port_; }
  void SetPort(int port) { port_ = port; }
  int DoubleClick() const { return doubleClick_; }
  void SetDoubleClick(int command);
  bool RefreshAlways() const { return refreshAlways_; }
  void SetRefreshAlways(bool on) { refreshAlways_ = on; }

  // OK: writes the three settings.
  void Save(Settings& settings) const;

 private:
  std::vector<int> ports_;
  int port_;
  int doubleClick_;
  bool refreshAlways_;
};

}  // namespace app
