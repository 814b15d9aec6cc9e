#include "ui/DialogButtons.h"

#include <QDialog>
#include <QPushButton>

namespace ui {

QDialogButtonBox* DialogButtons::Make(QDialog* dialog, QDialogButtonBox::StandardButtons buttons) {
  auto* box = new QDialogButtonBox(buttons, dialog);
  if (QPushButton* ok = box->button(QDialogButtonBox::Ok)) ok->setObjectName("1");
  if (QPushButton* cancel = box->button(QDialogButtonBox::Cancel)) cancel->setObjectName("2");
  QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return box;
}

QPushButton* DialogButtons::Add(QDialogButtonBox* box, const char* text, const char* id,
                                QDialogButtonBox::ButtonRole role) {
  QPushButton* button = box->addButton(text, role);
  button->setObjectName(id);
  return button;
}

}  // namespace ui
