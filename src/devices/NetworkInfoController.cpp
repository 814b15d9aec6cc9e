#include "devices/NetworkInfoController.h"

#include "discovery/NetworkEnvironment.h"

namespace devices {

std::vector<NetworkInfoLine> NetworkInfoController::Lines() const {
  std::vector<NetworkInfoLine> lines;
  for (auto& [label, value] : environment_.InformationLines()) lines.push_back({label, value});
  return lines;
}

std::string NetworkInfoController::Text() const {
  std::string text;
  for (const NetworkInfoLine& line : Lines()) {
    text += line.label;
    if (!line.value.empty()) text += " " + line.value;
    text += "\n";
  }
  return text;
}

}  // namespace devices
