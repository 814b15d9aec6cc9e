// The Advanced dialog of a virtual port (190) without widgets: the two options, shown read-only
// when the port exists already.
#pragma once

namespace vport {

struct VirtualPortAdvancedForm {
  static constexpr unsigned kHelpTopicAdd = 77;
  static constexpr unsigned kHelpTopicExisting = 12;

  bool rfc2217 = false;
  bool strictBaud = false;
  bool readOnly = true;

  bool BoxesEnabled() const { return !readOnly; }
  unsigned HelpTopic() const { return readOnly ? kHelpTopicExisting : kHelpTopicAdd; }
  // OK: the boxes are read back only when they could be changed.
  void Accept(bool rfc2217Checked, bool strictBaudChecked) {
    if (readOnly) return;
    rfc2217 = rfc2217Checked;
    strictBaud = strictBaudChecked;
  }
};

}  // namespace vport
