// How the port commands run their dialogs: the desktop program shows the Qt dialogs, tests answer
// from a script. Each call runs one dialog modally over the form and says whether it ended with OK.
#pragma once

namespace vport {

class AddVirtualPortForm;
class DeleteVirtualPortForm;

class VirtualPortDialogs {
 public:
  virtual ~VirtualPortDialogs() = default;
  virtual bool RunAddDialog(AddVirtualPortForm& form) = 0;
  virtual bool RunDeleteDialog(DeleteVirtualPortForm& form) = 0;
};

}  // namespace vport
