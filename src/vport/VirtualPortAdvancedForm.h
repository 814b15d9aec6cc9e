// The Advanced dialog of a virtual port (190) without widgets: the two options and the port's
// fixed line settings ("7E1"; empty: the application's own), shown read-only when the port exists
// already.
#pragma once

#include <optional>
#include <string>

#include "vport/LineSettings.h"

namespace vport {

struct VirtualPortAdvancedForm {
  static constexpr unsigned kHelpTopicAdd = 77;
  static constexpr unsigned kHelpTopicExisting = 12;

  bool rfc2217 = false;
  bool strictBaud = false;
  bool readOnly = true;
  std::string lineText;  // the stored form ("7E1"), or empty for none

  bool BoxesEnabled() const { return !readOnly; }
  unsigned HelpTopic() const { return readOnly ? kHelpTopicExisting : kHelpTopicAdd; }
  // OK: the boxes and the line settings are read back only when they could be changed. A line
  // text that is neither empty (blanks count as empty) nor valid is refused: nothing is taken,
  // the result is false and the dialog stays open with LineErrorText.
  bool Accept(bool rfc2217Checked, bool strictBaudChecked, const std::string& lineEntered = {});
  // The fixed line settings lineText names (none when empty).
  std::optional<LineSettings> Line() const { return LineSettings::Parse(lineText); }
  static std::string LineErrorText(const std::string& text);
};

}  // namespace vport
