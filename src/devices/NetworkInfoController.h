// The Network Information dialog without its window: the lines it shows, from what the network
// probe found at start. The dialog (and portolanctl netinfo) show these lines as they are.
#pragma once

#include <string>
#include <vector>

namespace discovery {
class NetworkEnvironment;
}

namespace devices {

struct NetworkInfoLine {
  std::string label;  // "Winsock:", "Host Name:", ... "VINES Support:"
  std::string value;  // a text of the probe, or "Yes"/"No"
};

class NetworkInfoController {
 public:
  static constexpr int kCommand = 32887;
  static constexpr const char* kCaption = "Network Information";

  explicit NetworkInfoController(const discovery::NetworkEnvironment& environment)
      : environment_(environment) {}

  // The six texts, then IP, IPX, Novell and VINES support.
  std::vector<NetworkInfoLine> Lines() const;
  // "label value" per line, each ending in a line break.
  std::string Text() const;

 private:
  const discovery::NetworkEnvironment& environment_;
};

}  // namespace devices
