#include "views/CViewColumnsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "discovery/CDeviceColumnTable.h"
#include "views/CCustomizeViewPropSheet.h"

namespace views {

namespace {

QListWidget* MakeList(QWidget* parent, const char* id, const char* name) {
  auto* list = new QListWidget(parent);
  list->setObjectName(id);
  list->setAccessibleName(name);
  return list;
}

QPushButton* MakeButton(QWidget* parent, const char* text, const char* id, const char* name) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(id);
  button->setAccessibleName(name);
  return button;
}

}  // namespace

CViewColumnsPage::CViewColumnsPage(CCustomizeViewPropSheet& sheet, QWidget* parent)
    : ViewSheetPage(parent), sheet_(sheet) {
  setObjectName("3703");
  setWindowTitle("Columns");
  auto* grid = new QGridLayout(this);
  server_ = MakeList(this, "3720", "Server columns");
  port_ = MakeList(this, "3724", "Port columns");
  displayed_ = MakeList(this, "3721", "Displayed columns");
  grid->addWidget(new QLabel("&Server", this), 0, 0);
  grid->addWidget(server_, 1, 0);
  grid->addWidget(new QLabel("&Port", this), 2, 0);
  grid->addWidget(port_, 3, 0);
  auto* buttons = new QVBoxLayout;
  QPushButton* add = MakeButton(this, "&>>", "3722", "Add column");
  QPushButton* remove = MakeButton(this, "&<<", "3723", "Remove column");
  QPushButton* up = MakeButton(this, "/\\", "3774", "Move column up");
  QPushButton* down = MakeButton(this, "\\/", "3775", "Move column down");
  for (QPushButton* button : {add, remove, up, down}) buttons->addWidget(button);
  grid->addLayout(buttons, 1, 1, 3, 1);
  grid->addWidget(new QLabel("&Displayed", this), 0, 2);
  grid->addWidget(displayed_, 1, 2, 3, 1);
  sort_ = new QComboBox(this);
  sort_->setObjectName("3729");
  sort_->setAccessibleName("Sort By");
  grid->addWidget(new QLabel("&Sort By:", this), 4, 0);
  grid->addWidget(sort_, 4, 2);
  fit_ = new QCheckBox("Auto adjust &column width to fit data ", this);
  fit_->setObjectName("3802");
  grid->addWidget(fit_, 5, 0, 1, 3);

  connect(add, &QPushButton::clicked, this, [this] {
    std::string refusal;
    const int at = displayed_->currentRow();
    Refused(model_->Add(server_->currentRow(), port_->currentRow(), at, &refusal), refusal, at + 1);
  });
  connect(remove, &QPushButton::clicked, this, [this] {
    std::string refusal;
    const int at = displayed_->currentRow();
    Refused(model_->Remove(at, &refusal), refusal, at > 0 ? at - 1 : 0);
  });
  connect(up, &QPushButton::clicked, this, [this] {
    const int at = displayed_->currentRow();
    if (model_->MoveUp(at)) Show(at - 1);
  });
  connect(down, &QPushButton::clicked, this, [this] {
    const int at = displayed_->currentRow();
    if (model_->MoveDown(at)) Show(at + 1);
  });
  connect(sort_, &QComboBox::activated, this,
          [this](int index) { model_->SetSortColumn(sort_->itemData(index).toInt()); });
  connect(fit_, &QCheckBox::toggled, this, [this](bool on) { model_->SetFit(on); });
  Reload();
}

void CViewColumnsPage::Reload() {
  model_ = std::make_unique<ColumnsPageModel>(sheet_.Copy(), sheet_.EditedType());
  fit_->setChecked(model_->Fit());
  Show(0);
}

void CViewColumnsPage::Refused(bool done, const std::string& refusal, int displayedRow) {
  if (!done) {
    ShowRefusal(refusal);
    return;
  }
  Show(displayedRow);
}

void CViewColumnsPage::Show(int displayedRow) {
  const discovery::CDeviceColumnTable& table = sheet_.Copy().ColumnTable();
  const auto fill = [&table](QListWidget* list, const std::vector<int>& columns) {
    list->clear();
    for (const int column : columns) list->addItem(QString::fromStdString(table.Title(column)));
  };
  fill(server_, model_->ServerColumns());
  fill(port_, model_->PortColumns());
  fill(displayed_, model_->Displayed());
  displayed_->setCurrentRow(displayedRow);
  sort_->clear();
  for (const int column : model_->Displayed()) {
    sort_->addItem(QString::fromStdString(table.Title(column)), column);
  }
  sort_->setCurrentIndex(sort_->findData(model_->SortColumn()));
}

bool CViewColumnsPage::Apply() {
  model_->Apply(sheet_.Copy());
  return true;
}

}  // namespace views
