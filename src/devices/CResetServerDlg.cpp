#include "devices/CResetServerDlg.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "devices/ResetServerController.h"

namespace devices {

CResetServerDlg::CResetServerDlg(ResetServerController& controller, QWidget* parent)
    : QDialog(parent), controller_(controller) {
  setObjectName("CResetServerDlg");
  setWindowTitle(ResetServerController::kCaption);
  reset_ = new QPushButton(tr("&Reset"));
  reset_->setObjectName("3014");
  list_ = new QListWidget;
  list_->setObjectName("3016");
  list_->setAccessibleName("Restore Factory Default Settings");
  for (const RestoreLine& line : controller_.Lines()) {
    auto* item = new QListWidgetItem(QString::fromStdString(line.label), list_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
  restore_ = new QPushButton(tr("Re&store"));
  restore_->setObjectName("3015");
  // After Ignore in the community check the set community is known to be wrong: no writes.
  reset_->setEnabled(controller_.WritesAllowed());
  restore_->setEnabled(controller_.WritesAllowed());
  auto* frame = new QGroupBox(tr("Restore Factory Default Settings"));
  auto* frameLayout = new QVBoxLayout(frame);
  frameLayout->addWidget(list_);
  frameLayout->addWidget(restore_, 0, Qt::AlignRight);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel | QDialogButtonBox::Help);
  buttons->button(QDialogButtonBox::Cancel)->setText(tr("&Cancel"));
  buttons->button(QDialogButtonBox::Help)->setText(tr("&Help"));
  for (QPushButton* button : {reset_, restore_})
    button->setAccessibleName(button->text().remove('&'));
  for (QAbstractButton* button : buttons->buttons()) {
    button->setAccessibleName(button->text().remove('&'));
  }
  connect(reset_, &QPushButton::clicked, this, &CResetServerDlg::OnReset);
  connect(restore_, &QPushButton::clicked, this, &CResetServerDlg::OnRestore);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons, &QDialogButtonBox::helpRequested, this, &CResetServerDlg::helpRequested);
  controller_.SetEnableDialog([this](bool on) { setEnabled(on); });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(reset_, 0, Qt::AlignLeft);
  layout->addWidget(frame);
  layout->addWidget(buttons);
}

CResetServerDlg::~CResetServerDlg() {
  controller_.SetEnableDialog({});
}

void CResetServerDlg::OnReset() {
  const int result = controller_.Reset();
  if (result != ResetServerController::kStayOpen) done(result);
}

void CResetServerDlg::OnRestore() {
  for (int i = 0; i < list_->count(); ++i) {
    controller_.SetChecked(static_cast<size_t>(i), list_->item(i)->checkState() == Qt::Checked);
  }
  const int result = controller_.Restore();
  if (result != ResetServerController::kStayOpen) done(result);
}

void CResetServerDlg::done(int result) {
  if (!closed_) {
    closed_ = true;
    controller_.SetEnableDialog({});
    controller_.Close();
  }
  QDialog::done(result);
}

}  // namespace devices
