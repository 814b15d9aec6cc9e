#include "ui/ValueLabel.h"

namespace ui {

ValueLabel::ValueLabel(const QString& title, QWidget* parent) : QLabel(parent), title_(title) {
  setAccessibleDescription(title_);
  SetValue(QString());
}

void ValueLabel::SetValue(const QString& text) {
  // Setting the same name again would announce a change that did not happen.
  if (text == this->text() && !accessibleName().isEmpty()) return;
  setText(text);
  setAccessibleName(text.isEmpty() ? title_ : text);
}

}  // namespace ui
