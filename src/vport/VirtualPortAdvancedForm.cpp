#include "vport/VirtualPortAdvancedForm.h"

namespace vport {

namespace {

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

bool VirtualPortAdvancedForm::Accept(bool rfc2217Checked, bool strictBaudChecked,
                                     const std::string& lineEntered) {
  if (readOnly) return true;
  const std::string text = Trimmed(lineEntered);
  std::optional<LineSettings> line;
  if (!text.empty()) {
    line = LineSettings::Parse(text);
    if (!line) return false;
  }
  rfc2217 = rfc2217Checked;
  strictBaud = strictBaudChecked;
  lineText = line ? line->Text() : std::string();
  return true;
}

std::string VirtualPortAdvancedForm::LineErrorText(const std::string& text) {
  // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on a literal + string chain.
  std::string message = "\"";
  message += Trimmed(text);
  message += "\" is not a line setting (";
  message += LineSettings::AcceptedForms();
  message += "). Leave the field empty to use the application's own settings.";
  return message;
}

}  // namespace vport
