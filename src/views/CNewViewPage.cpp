#include "views/CNewViewPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>

#include "views/CViewNode.h"
#include "views/ViewRules.h"

namespace views {

CNewViewPage::CNewViewPage(bool udpAvailable, QWidget* parent) : ViewSheetPage(parent) {
  setObjectName("3706");
  setWindowTitle("New View");
  auto* form = new QFormLayout(this);
  name_ = new QLineEdit(this);
  name_->setObjectName("3791");
  name_->setAccessibleName("View Name");
  form->addRow("&View Name:", name_);
  protocol_ = new QComboBox(this);
  protocol_->setObjectName("3709");
  protocol_->setAccessibleName("Discovery Protocol");
  if (ViewRules::IsOfferedProtocol(CViewNode::kTcpIpView, udpAvailable)) {
    protocol_->addItem(QString::fromStdString(ViewRules::ProtocolText(CViewNode::kTcpIpView)),
                       CViewNode::kTcpIpView);
  }
  form->addRow("Discovery &Protocol:", protocol_);
  defaults_ = new QCheckBox("Automatically create a view with default settings.", this);
  defaults_->setObjectName("3789");
  form->addRow(defaults_);
}

std::string CNewViewPage::Name() const {
  return name_->text().toStdString();
}

int CNewViewPage::Type() const {
  return protocol_->currentIndex() < 0 ? 0 : protocol_->currentData().toInt();
}

bool CNewViewPage::DefaultSettings() const {
  return defaults_->isChecked();
}

}  // namespace views
