#include "vport/QtVirtualPortDialogs.h"

#include "vport/CAddVirtualPortDlg.h"
#include "vport/CDeleteVirtualPortDlg.h"

namespace vport {

bool QtVirtualPortDialogs::RunAddDialog(AddVirtualPortForm& form) {
  CAddVirtualPortDlg dialog(form, help_, parent_);
  return dialog.exec() == QDialog::Accepted;
}

bool QtVirtualPortDialogs::RunDeleteDialog(DeleteVirtualPortForm& form) {
  CDeleteVirtualPortDlg dialog(form, help_, parent_);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace vport
