#include "app/options/CAddAccessEntryDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <utility>

#include "app/DeviceAccessList.h"
#include "ui/DialogButtons.h"

namespace app {

CAddAccessEntryDlg::CAddAccessEntryDlg(const std::string& prompt,
                                       std::function<bool(const std::string&)> take,
                                       QWidget* parent)
    : QDialog(parent), take_(std::move(take)) {
  setObjectName("108");
  setWindowTitle("Add an Access Entry");
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(QString::fromStdString(prompt), this);
  label->setObjectName("prompt");
  label->setWordWrap(true);
  address_ = new QLineEdit(this);
  address_->setObjectName("address");
  address_->setAccessibleName("Address");
  // Room for one character more than allowed, so that an over-long paste is refused, not cut.
  address_->setMaxLength(static_cast<int>(DeviceAccessList::kMaxAddress) + 1);
  // Wide enough to show a long pattern whole.
  address_->setMinimumWidth(address_->fontMetrics().horizontalAdvance(
      QString(static_cast<int>(DeviceAccessList::kMaxAddress), QLatin1Char('0'))));
  label->setBuddy(address_);
  layout->addWidget(label);
  layout->addWidget(address_);
  layout->addWidget(ui::DialogButtons::Make(this));
}

std::string CAddAccessEntryDlg::Address() const {
  return address_->text().trimmed().toStdString();
}

void CAddAccessEntryDlg::accept() {
  if (take_ && !take_(Address())) {
    address_->setFocus();
    address_->selectAll();
    return;
  }
  QDialog::accept();
}

}  // namespace app
