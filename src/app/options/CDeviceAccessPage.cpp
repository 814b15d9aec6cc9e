#include "app/options/CDeviceAccessPage.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/COptionsPropertySheet.h"
#include "app/DeviceAccessList.h"
#include "app/DeviceAccessPage.h"
#include "app/options/CAddAccessEntryDlg.h"
#include "platform/Prompt.h"
#include "res/StringTable.h"

namespace app {

namespace {

constexpr unsigned kStrNetWarePrompt = 6081;
constexpr unsigned kStrIpPrompt = 6082;

QLineEdit* CommunityEdit(const char* id, const char* name, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(id);
  edit->setAccessibleName(name);
  // Room for one character more than allowed, so that an over-long paste is refused, not cut.
  edit->setMaxLength(static_cast<int>(DeviceAccessList::kMaxCommunity) + 1);
  return edit;
}

}  // namespace

CDeviceAccessPage::CDeviceAccessPage(COptionsPropertySheet& sheet, int environmentFlags,
                                     QWidget* parent)
    : QWidget(parent), sheet_(sheet), page_(sheet.Access()) {
  setObjectName("163");
  auto* layout = new QVBoxLayout(this);
  auto* top = new QFormLayout;
  protocol_ = new QComboBox(this);
  protocol_->setObjectName("1089");
  protocol_->setAccessibleName("Protocol");
  for (const COptionsPropertySheet::Protocol& protocol :
       COptionsPropertySheet::Protocols(environmentFlags)) {
    protocol_->addItem(QString::fromStdString(protocol.name),
                       QString::fromStdString(protocol.section));
  }
  top->addRow("&Protocol:", protocol_);
  layout->addLayout(top);

  auto* grid = new QGridLayout;
  auto* listLabel = new QLabel("Device &Addresses:", this);
  addresses_ = new QListWidget(this);
  addresses_->setObjectName("1007");
  addresses_->setAccessibleName("Device Addresses");
  listLabel->setBuddy(addresses_);
  add_ = new QPushButton("A&dd", this);
  add_->setObjectName("1010");
  delete_ = new QPushButton("&Delete", this);
  delete_->setObjectName("1011");
  grid->addWidget(listLabel, 0, 0);
  grid->addWidget(addresses_, 1, 0, 3, 1);
  grid->addWidget(add_, 1, 1);
  grid->addWidget(delete_, 2, 1);
  grid->setRowStretch(3, 1);
  layout->addLayout(grid, 1);

  auto* communities = new QFormLayout;
  get_ = CommunityEdit("1008", "Get Community", this);
  set_ = CommunityEdit("1009", "Set Community", this);
  communities->addRow("&Get Community:", get_);
  communities->addRow("&Set Community:", set_);
  layout->addLayout(communities);

  connect(protocol_, &QComboBox::currentIndexChanged, this,
          [this](int index) { ChooseProtocol(index); });
  connect(addresses_, &QListWidget::currentRowChanged, this, [this] { ShowEntry(); });
  connect(get_, &QLineEdit::textEdited, this, [this] { CommunityEdited(); });
  connect(set_, &QLineEdit::textEdited, this, [this] { CommunityEdited(); });
  connect(add_, &QPushButton::clicked, this, [this] { Add(); });
  connect(delete_, &QPushButton::clicked, this, [this] { Delete(); });
  ChooseProtocol(protocol_->currentIndex());
}

void CDeviceAccessPage::ChooseProtocol(int index) {
  if (index >= 0) page_.ChooseProtocol(protocol_->itemData(index).toString().toStdString());
  add_->setEnabled(page_.CanAddOrDelete());
  delete_->setEnabled(page_.CanAddOrDelete());
  FillList(0);
}

void CDeviceAccessPage::FillList(size_t select) {
  const QSignalBlocker blocker(addresses_);
  addresses_->clear();
  for (const DeviceAccessEntry& entry : page_.List().Entries())
    addresses_->addItem(QString::fromStdString(entry.address));
  addresses_->setCurrentRow(static_cast<int>(select));
  ShowEntry();
}

int CDeviceAccessPage::SelectedRow() const {
  return addresses_->currentRow();
}

void CDeviceAccessPage::ShowEntry() {
  const int row = SelectedRow();
  const auto& entries = page_.List().Entries();
  const bool valid = row >= 0 && static_cast<size_t>(row) < entries.size();
  get_->setEnabled(valid);
  set_->setEnabled(valid);
  get_->setText(valid ? QString::fromStdString(entries[static_cast<size_t>(row)].getCommunity)
                      : "");
  set_->setText(valid ? QString::fromStdString(entries[static_cast<size_t>(row)].setCommunity)
                      : "");
}

void CDeviceAccessPage::CommunityEdited() {
  const int row = SelectedRow();
  if (row < 0) return;
  const AccessTextCheck check = page_.SetCommunities(
      static_cast<size_t>(row), get_->text().toStdString(), set_->text().toStdString());
  if (check == kAccessTextOk) return;
  // The entry keeps what it had; the edits show it again.
  ShowEntry();
  ShowRefusal(DeviceAccessList::CheckText(check));
}

void CDeviceAccessPage::Add() {
  if (!page_.CanAddOrDelete()) return;
  const bool netWare = page_.List().Section() == DeviceAccessList::kSectionNw;
  size_t row = 0;
  auto take = [this, &row](const std::string& address) {
    const AccessTextCheck check = page_.Add(address, &row);
    // An address listed already is selected instead of added twice.
    if (check == kAccessTextOk || check == kAccessAddressListed) return true;
    ShowRefusal(DeviceAccessList::CheckText(check));
    return false;
  };
  CAddAccessEntryDlg dialog(res::LoadString(netWare ? kStrNetWarePrompt : kStrIpPrompt), take,
                            this);
  if (dialog.exec() != QDialog::Accepted) return;
  FillList(row);
}

void CDeviceAccessPage::Delete() {
  const int row = SelectedRow();
  if (!page_.CanAddOrDelete() || row <= 0) return;
  const int answer = sheet_.GetPrompt().MessageBox(
      DeviceAccessPage::kDeleteQuestion, DeviceAccessPage::kDeleteCaption,
      platform::MB_OKCANCEL | platform::MB_ICONQUESTION);
  if (answer != platform::IDOK) return;
  page_.Delete(static_cast<size_t>(row));
  FillList(0);
}

void CDeviceAccessPage::ShowRefusal(const std::string& text) {
  sheet_.GetPrompt().MessageBox(text, sheet_.Caption(),
                                platform::MB_OK | platform::MB_ICONEXCLAMATION);
}

}  // namespace app
