#include "devices/CNetworkInfoDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "devices/NetworkInfoController.h"
#include "ui/ValueLabel.h"

namespace devices {

CNetworkInfoDlg::CNetworkInfoDlg(const NetworkInfoController& controller, QWidget* parent)
    : QDialog(parent) {
  setObjectName("CNetworkInfoDlg");
  setWindowTitle(NetworkInfoController::kCaption);
  auto* form = new QFormLayout;
  int row = 0;
  for (const NetworkInfoLine& line : controller.Lines()) {
    auto* value = new ui::ValueLabel(QString::fromStdString(line.label));
    value->SetValue(QString::fromStdString(line.value));
    value->setObjectName(QString("value%1").arg(row++));
    value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    form->addRow(QString::fromStdString(line.label), value);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
  buttons->button(QDialogButtonBox::Ok)->setAccessibleName("OK");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

}  // namespace devices
