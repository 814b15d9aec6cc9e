// The New View page (3706) and the first-start Welcome page (3748) of the view wizard.
#pragma once

#include <string>

#include "views/ViewSheetPage.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace views {

class CNewViewPage : public ViewSheetPage {
 public:
  // udpAvailable: TCP/IP is offered only when the machine can send UDP; with nothing offered,
  // Next and Finish refuse with 5508.
  explicit CNewViewPage(bool udpAvailable, QWidget* parent = nullptr);
  void Reload() override {}
  bool Apply() override { return true; }

  std::string Name() const;
  // The chosen protocol's view type, or 0 when none is offered.
  int Type() const;
  bool DefaultSettings() const;

 private:
  QLineEdit* name_;
  QComboBox* protocol_;
  QCheckBox* defaults_;
};

}  // namespace views
