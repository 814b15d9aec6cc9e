// The add dialog (106) without widgets: it adds a port to the selected device port, or, opened on
// a port that exists, confirms its deletion with everything but Delete, Cancel, Help and a
// read-only Advanced dialog disabled. The window shows what this says and reports the user's
// choices back to it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "vport/ComNumberSet.h"
#include "vport/LineSettings.h"
#include "vport/VirtualPortAdvancedForm.h"

namespace vport {

class AddVirtualPortForm {
 public:
  static constexpr unsigned kHelpTopicAdd = 77;
  static constexpr unsigned kHelpTopicDelete = 12;

  // Filled by the command before the dialog opens.
  int maxNumber = ComNumberSet::kMaxNumber;
  std::int32_t devPort = -1;  // 0-based
  int comNumber = -1;         // in: -1 to add, else the port to delete; out: the chosen number
  std::string ipAddr;
  bool strictBaud = false;
  bool rfc2217 = false;
  bool autoStart = false;
  std::optional<LineSettings> line;  // fixed line settings, from the Advanced dialog
  ComNumberSet available;            // the numbers that may be offered

  // The dialog opens: the existing port joins the list, and adding starts with every option off.
  void Open();

  bool Adding() const { return comNumber < 0; }
  std::string Caption() const;
  std::string OkText() const { return Adding() ? "Add" : "Delete"; }
  // The list: "COMn" with n as item data, ascending.
  std::vector<int> ListNumbers() const { return available.Numbers(maxNumber); }
  // The entry selected on opening: the first when adding, the port's own when deleting; -1 none.
  int InitialSelection() const;
  bool ListEnabled() const { return Adding(); }
  bool AutoStartEnabled() const { return Adding(); }
  std::string ServerIpText() const { return ipAddr; }
  std::string ServerPortText() const { return std::to_string(devPort + 1); }
  unsigned HelpTopic() const { return comNumber <= 0 ? kHelpTopicAdd : kHelpTopicDelete; }

  // OK: the number of the selected entry (-1 when the list is empty) and the check box.
  void Accept(int selectedIndex, bool autoStartChecked);

  // "Advanced...": the form to run, and what its closing brings back.
  VirtualPortAdvancedForm AdvancedForm() const;
  void AdvancedClosed(const VirtualPortAdvancedForm& form, bool ok);
};

}  // namespace vport
