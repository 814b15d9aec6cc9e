// One page of the customize sheet's Qt face: it shows the sheet's copy and applies its controls
// back into it; a refusal is shown through the prompt and the page stays.
#pragma once

#include <QWidget>
#include <string>

namespace views {

class ViewSheetPage : public QWidget {
 public:
  using QWidget::QWidget;
  // Shows the copy (again, after the selector loaded another view).
  virtual void Reload() = 0;
  // Applies the controls into the copy; false after the refusal's message.
  virtual bool Apply() = 0;
  // Leaving the page for another (the wizard's Next); false after the refusal's message.
  virtual bool CanLeave() { return true; }

 protected:
  static void ShowRefusal(const std::string& text);
};

}  // namespace views
