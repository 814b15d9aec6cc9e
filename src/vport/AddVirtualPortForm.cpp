#include "vport/AddVirtualPortForm.h"

namespace vport {

void AddVirtualPortForm::Open() {
  if (comNumber > 0) available.Set(comNumber);
  if (Adding()) {
    rfc2217 = false;
    autoStart = false;
    strictBaud = false;
    line.reset();
  }
}

std::string AddVirtualPortForm::Caption() const {
  if (Adding()) return "Add Virtual COM port";
  return "Delete virtual port " + ComNumberSet::Text(comNumber);
}

int AddVirtualPortForm::InitialSelection() const {
  const std::vector<int> numbers = ListNumbers();
  if (numbers.empty()) return -1;
  if (Adding()) return 0;
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (numbers[i] == comNumber) return static_cast<int>(i);
  }
  return -1;
}

void AddVirtualPortForm::Accept(int selectedIndex, bool autoStartChecked) {
  comNumber = available.NumberAt(selectedIndex, maxNumber);
  autoStart = autoStartChecked;
}

VirtualPortAdvancedForm AddVirtualPortForm::AdvancedForm() const {
  VirtualPortAdvancedForm form;
  form.rfc2217 = rfc2217;
  form.strictBaud = strictBaud;
  form.readOnly = comNumber >= 0;
  form.lineText = line ? line->Text() : std::string();
  return form;
}

void AddVirtualPortForm::AdvancedClosed(const VirtualPortAdvancedForm& form, bool ok) {
  if (!Adding() || !ok) return;
  rfc2217 = form.rfc2217;
  strictBaud = form.strictBaud;
  line = form.Line();
}

}  // namespace vport
