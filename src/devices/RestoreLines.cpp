#include "devices/RestoreLines.h"

#include <map>

#include "devices/CSnmpVarGroup.h"
#include "res/StringTable.h"

namespace devices {

namespace {
constexpr const char* kOutputPortsSuffix = ".6.2.2.1.0";
}  // namespace

const char* RestoreSuffixForType(int type) {
  switch (type) {
    case 1:
      return ".6.3.1.3.1.0";
    case 2:
      return ".6.3.2.3.1.0";
    case 3:
      return ".6.3.3.3.1.0";
    case 4:
    case 7:
      return ".8.3.19.0";
    case 5:
      return ".6.3.5.3.1.0";
    default:
      return nullptr;
  }
}

std::vector<RestoreLine> BuildRestoreLines(const std::vector<DeviceProtocol>& protocols,
                                           CSnmpVarGroup* group) {
  std::map<std::string, int> variableOf;  // suffix -> index in the group
  const auto variable = [&](const char* suffix) {
    auto [at, added] = variableOf.emplace(suffix, 0);
    if (added) at->second = group->Add(suffix);
    return at->second;
  };
  std::vector<RestoreLine> lines;
  lines.push_back({res::LoadString(kOutputPortsLabel), variable(kOutputPortsSuffix)});
  for (const DeviceProtocol& protocol : protocols) {
    if (const char* suffix = RestoreSuffixForType(protocol.type)) {
      lines.push_back({protocol.name, variable(suffix)});
    }
  }
  return lines;
}

}  // namespace devices
