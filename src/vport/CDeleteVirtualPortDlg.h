// The delete-by-number dialog (112): a thin face over DeleteVirtualPortForm.
#pragma once

#include <QDialog>
#include <functional>

#include "vport/DeleteVirtualPortForm.h"

class QComboBox;

namespace vport {

class CDeleteVirtualPortDlg : public QDialog {
 public:
  CDeleteVirtualPortDlg(DeleteVirtualPortForm& form, std::function<void(unsigned)> help,
                        QWidget* parent = nullptr);

  void accept() override;

 private:
  DeleteVirtualPortForm& form_;
  QComboBox* ports_ = nullptr;
};

}  // namespace vport
