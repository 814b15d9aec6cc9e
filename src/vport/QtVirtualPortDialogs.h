// The port commands' dialogs as the desktop program shows them: modal Qt dialogs over the forms.
#pragma once

#include <functional>

#include "vport/VirtualPortDialogs.h"

class QWidget;

namespace vport {

class QtVirtualPortDialogs : public VirtualPortDialogs {
 public:
  // parent owns the dialogs while they run (the main window); help opens a help topic by number.
  explicit QtVirtualPortDialogs(QWidget* parent, std::function<void(unsigned)> help = {})
      : parent_(parent), help_(std::move(help)) {}

  bool RunAddDialog(AddVirtualPortForm& form) override;
  bool RunDeleteDialog(DeleteVirtualPortForm& form) override;

 private:
  QWidget* parent_;
  std::function<void(unsigned)> help_;
};

}  // namespace vport
