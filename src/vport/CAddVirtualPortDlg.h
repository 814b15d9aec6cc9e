// The add dialog (106), also the confirmation of a port's deletion: a thin face over
// AddVirtualPortForm, which holds its rules.
#pragma once

#include <QDialog>
#include <functional>

#include "vport/AddVirtualPortForm.h"

class QCheckBox;
class QComboBox;

namespace vport {

class CAddVirtualPortDlg : public QDialog {
 public:
  // Opens the form (its opening rules apply) and shows it. help opens a help topic by number.
  CAddVirtualPortDlg(AddVirtualPortForm& form, std::function<void(unsigned)> help,
                     QWidget* parent = nullptr);

  void accept() override;

 private:
  void OnAdvanced();

  AddVirtualPortForm& form_;
  std::function<void(unsigned)> help_;
  QComboBox* ports_ = nullptr;
  QCheckBox* autoStart_ = nullptr;
};

}  // namespace vport
