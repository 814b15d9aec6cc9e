// The Advanced dialog of a virtual port (190): a thin face over VirtualPortAdvancedForm.
#pragma once

#include <QDialog>
#include <functional>

#include "vport/VirtualPortAdvancedForm.h"

class QCheckBox;
class QLineEdit;

namespace vport {

class CVirtualPortAdvancedDlg : public QDialog {
 public:
  // help opens a help topic by number. On OK the form takes the boxes and the line settings (when
  // they could change); line settings that are not valid are explained and the dialog stays open.
  CVirtualPortAdvancedDlg(VirtualPortAdvancedForm& form, std::function<void(unsigned)> help,
                          QWidget* parent = nullptr);

  void accept() override;

 private:
  VirtualPortAdvancedForm& form_;
  QCheckBox* rfc2217_ = nullptr;
  QCheckBox* strictBaud_ = nullptr;
  QLineEdit* line_ = nullptr;  // the fixed line settings
};

}  // namespace vport
